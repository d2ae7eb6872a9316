#include "app/board_accessible.h"

#include "model/puzzle.h"
#include "platform/picturebox.h"
#include "render/grid.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <vector>

namespace {

// The table's side: no cells until a puzzle has been read.
int side() { return cellCount > 0 ? gridSize : 0; }

// The selected cell's index, 0 when none.
int16_t selectedCell() {
    const bool onGrid = selCol >= 1 && selCol <= side() && selRow >= 1 && selRow <= side();
    return onGrid ? cellAt(selCol, selRow) : 0;
}

// One cell, at a row and a column counted from 0 as the table counts them.
class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
public:
    CellAccessible(QAccessibleInterface* table, PictureBox* box, int row, int column)
        : table_(table), box_(box), row_(row), column_(column) {}

    int16_t cell() const { return cellAt(int16_t(column_ + 1), int16_t(row_ + 1)); }

    bool isValid() const override { return table_->isValid() && row_ < side() && column_ < side(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return table_->window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return table_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? QString::fromStdString(describeCell(cell())) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const int cs = gridInfo.cellSize;
        return QRect(box_->mapToGlobal(QPoint((column_ + 1) * cs, (row_ + 1) * cs)), QSize(cs, cs));
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isSelected();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    bool isSelected() const override { return isValid() && selectedCell() == cell(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return table_; }

    // "select" clicks the middle of the cell.
    QStringList actionNames() const override { return {"select"}; }
    void doAction(const QString& name) override {
        if (name != "select" || !isValid())
            return;
        const double cs = gridInfo.cellSize;
        box_->clickAt(QPointF((column_ + 1.5) * cs, (row_ + 1.5) * cs));
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAccessibleInterface* table_;
    PictureBox* box_;
    int row_, column_;
};

// The board: its cells row by row, then the widgets that lie on it (the toolbar).
class BoardTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit BoardTable(PictureBox* box) : QAccessibleWidget(box, QAccessible::Table) {}
    ~BoardTable() override { dropCells(); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return cellTotal() + QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override {
        const int cells = cellTotal();
        return index < cells ? cellAt(index / side(), index % side()) : QAccessibleWidget::child(index - cells);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        makeCells();
        if (const auto found = std::find(cells_.begin(), cells_.end(), child); found != cells_.end())
            return int(found - cells_.begin());
        const int widget = QAccessibleWidget::indexOfChild(child);
        return widget < 0 ? -1 : cellTotal() + widget;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        makeCells();
        const bool inside = row >= 0 && row < side() && column >= 0 && column < side();
        return inside ? cells_[size_t(row * side() + column)] : nullptr;
    }
    int selectedCellCount() const override { return selectedCell() != 0 ? 1 : 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        const int16_t cell = selectedCell();
        return cell != 0 ? QList<QAccessibleInterface*>{cellAt(rowOf(cell) - 1, colOf(cell) - 1)}
                         : QList<QAccessibleInterface*>{};
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return side(); }
    int rowCount() const override { return side(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // Each cell whose name changed, and the cells that lost and gained the
    // selection, one event each; a table of another side is new altogether,
    // and so is the table to a screen reader that was not listening before.
    void announceChanges() {
        if (!QAccessible::isActive()) {
            toldSide_ = -1;
            return;
        }
        makeCells();
        std::vector<QString> names;
        for (const CellAccessible* cell : cells_)
            names.push_back(cell->text(QAccessible::Name));
        if (toldSide_ != side()) {
            QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
            QAccessible::updateAccessibility(&reset);
        } else {
            for (size_t i = 0; i < names.size(); ++i)
                if (names[i] != toldNames_[i]) {
                    QAccessibleEvent renamed(cells_[i], QAccessible::NameChanged);
                    QAccessible::updateAccessibility(&renamed);
                }
            if (toldSelected_ != selectedCell())
                for (const int16_t cell : {toldSelected_, selectedCell()})
                    if (cell != 0) {
                        QAccessible::State selected;
                        selected.selected = true;
                        QAccessibleStateChangeEvent changed(cells_[size_t(cell - 1)], selected);
                        QAccessible::updateAccessibility(&changed);
                    }
        }
        toldSide_ = side();
        toldNames_ = std::move(names);
        toldSelected_ = selectedCell();
    }

private:
    int cellTotal() const { return side() * side(); }

    // The cells of today's side, made anew when the side changes.
    void makeCells() const {
        if (cells_.size() == size_t(cellTotal()))
            return;
        dropCells();
        auto* box = static_cast<PictureBox*>(widget());
        for (int i = 0; i < cellTotal(); ++i) {
            cells_.push_back(new CellAccessible(const_cast<BoardTable*>(this), box, i / side(), i % side()));
            QAccessible::registerAccessibleInterface(cells_.back());
        }
    }
    void dropCells() const {
        for (CellAccessible* cell : cells_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cell));
        cells_.clear();
    }

    mutable std::vector<CellAccessible*> cells_;
    int toldSide_ = -1;
    std::vector<QString> toldNames_;
    int16_t toldSelected_ = 0;
};

}  // namespace

QAccessibleInterface* boardAccessible(const QString&, QObject* object) {
    auto* box = qobject_cast<PictureBox*>(object);
    return box && box->objectName() == "pbGrid" ? new BoardTable(box) : nullptr;
}

void announceBoardChanges(PictureBox* board) {
    if (auto* table = dynamic_cast<BoardTable*>(QAccessible::queryAccessibleInterface(board)))
        table->announceChanges();
}
