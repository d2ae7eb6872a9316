#include "about/frm_about.h"

#include "about/maker.h"
#include "app/icons.h"
#include "platform/app_info.h"
#include "platform/screen.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QLabel* label(QWidget* parent, const char* design, QRect where) {
    auto* l = new QLabel(design, parent);
    l->setGeometry(where);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// The credit stays on one line: it may run on to the right edge of OK, and
// its font shrinks, half a point at a time, until the line fits.
void fitOnOneLine(QLabel* label, int right) {
    label->setWordWrap(false);
    label->resize(right - label->x(), label->height());
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > label->width() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(5730), twipsToPixels(3555));
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(programIcon());

    lblTitle = label(this, "Application Title", twipsRect(1050, 240, 3885, 480));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = label(this, "Version", twipsRect(1050, 780, 3885, 225));
    lblDescription = label(this, "App Description", twipsRect(1050, 1125, 3885, 1170));
    lblDisclaimer = label(this, "Warning: ...", twipsRect(240, 2625, 3870, 825));

    // An etched line above the bottom row.
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(twipsToPixels(90), twipsToPixels(2445) - 1, twipsToPixels(5654 - 90), 3);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);  // Escape closes it too
}

void frmAbout::Form_Load() {
    const QString title = QString::fromStdString(App::Title());
    setWindowTitle("About " + title);
    lblVersion->setText(QString("Version %1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    lblTitle->setText(title);
    lblDescription->setText(QString::fromStdString(creditLine()));
    fitOnOneLine(lblDescription, cmdOK->geometry().right());
    lblDisclaimer->setText("Only for personal use. Do not print /distribute these puzzles");
}

void frmAbout::showModal() {
    Form_Load();
    cmdOK->setFocus();
    exec();
}
