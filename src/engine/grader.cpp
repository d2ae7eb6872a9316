#include "grader.h"

#include <algorithm>

#include "grader_innies.h"
#include "grader_level5.h"
#include "grader_singles.h"
#include "grader_state.h"
#include "grader_subsets.h"
#include "groups.h"

namespace sumgrid::engine {

namespace {

struct TechniqueInfo {
    const char* name;
    int level;
};

constexpr TechniqueInfo kTechniques[kTechniqueCount] = {
    {"naked single", 1},
    {"hidden single", 1},
    {"cage combinations", 1},
    {"innies/outies of one unit", 2},
    {"pointing and claiming", 2},
    {"innies/outies of two units", 3},
    {"naked pair", 3},
    {"hidden pair", 3},
    {"innies/outies of 3+ units", 4},
    {"cage splitting", 4},
    {"naked triple", 4},
    {"hidden triple", 4},
    {"x-wing", 4},
    {"swordfish", 4},
    {"naked quad", 4},
    {"hidden quad", 4},
    {"combinations across units", 5},
    {"overlapping cages", 5},
    {"forcing chain", 5},
};

}  // namespace

const char* techniqueName(Technique t) { return kTechniques[static_cast<int>(t)].name; }

int techniqueLevel(Technique t) { return kTechniques[static_cast<int>(t)].level; }

int Grade::steps() const {
    int n = 0;
    for (int t = 0; t < kTechniqueCount; ++t)
        if (techniqueLevel(static_cast<Technique>(t)) == level) n += uses[t];
    return n;
}

namespace grading {

Solve::Solve(const Geometry& geometry, const ComboTable& comboTable) : g(geometry), table(comboTable) {
    static_assert(3 * kMaxSide <= 64, "the units of a grid fit one word");
    unitsOf.assign(g.cells, 0);
    for (int c = 0; c < g.cells; ++c)
        for (int u : g.unitsOfCell[c]) unitsOf[c] |= std::uint64_t{1} << u;
}

namespace {

bool apply(Solve& s, Technique t) {
    switch (t) {
        case Technique::NakedSingle: return nakedSingles(s);
        case Technique::HiddenSingle: return hiddenSingles(s);
        case Technique::CageCombination: return cageCombinations(s);
        case Technique::InniesOutiesOneUnit: return inniesOuties(s, GroupKind::UnitInOut);
        case Technique::Intersection: return intersections(s);
        case Technique::InniesOutiesTwoUnits: return inniesOuties(s, GroupKind::PairInOut);
        case Technique::NakedPair: return nakedSubsets(s, 2);
        case Technique::HiddenPair: return hiddenSubsets(s, 2);
        case Technique::InniesOutiesWide: return inniesOuties(s, GroupKind::WideInOut);
        case Technique::CageSplitting: return cageSplitting(s);
        case Technique::NakedTriple: return nakedSubsets(s, 3);
        case Technique::HiddenTriple: return hiddenSubsets(s, 3);
        case Technique::XWing: return fish(s, 2);
        case Technique::Swordfish: return fish(s, 3);
        case Technique::NakedQuad: return nakedSubsets(s, 4);
        case Technique::HiddenQuad: return hiddenSubsets(s, 4);
        case Technique::CombinationsAcrossUnits: return combinationsAcrossUnits(s);
        case Technique::OverlappingCages: return overlappingCages(s);
        case Technique::ForcingChain: return forcingChains(s);
    }
    return false;
}

}  // namespace

int Solve::step(int maxLevel) {
    int found = -1;
    ++depth_;
    for (int t = 0; t < kTechniqueCount && !broken && found < 0; ++t) {
        const auto tech = static_cast<Technique>(t);
        if (techniqueLevel(tech) > maxLevel) break;
        if (tracing()) {
            recording_ = Step{tech, {}};
            before_ = cand;
        }
        if (apply(*this, tech)) {
            if (tracing()) {
                closePlace();
                auto& places = recording_.places;
                if (tech != Technique::NakedSingle)
                    places.erase(std::remove_if(places.begin(), places.end(), [](const Place& p) { return p.changes.empty(); }),
                                 places.end());
                trace->push_back(std::move(recording_));
            }
            noteChanges();
            found = t;
        }
    }
    --depth_;
    return found;
}

void Solve::mark(Place::Kind kind, int index, std::vector<int> members, int value) {
    closePlace();
    recording_.places.push_back(Place{kind, index, std::move(members), value, {}});
}

void Solve::closePlace() {
    if (!recording_.places.empty())
        for (int c = 0; c < g.cells; ++c)
            if (cand[c] != before_[c]) recording_.places.back().changes.push_back({c, before_[c], cand[c]});
    before_ = cand;
}

void Solve::noteChanges() {
    Mask gone = 0;  // digits that left some cell
    std::uint64_t units = 0;  // units that some changed cell lies in
    changed.any([&](int c) {
        if (cand[c] == seen[c]) return false;
        gone |= seen[c] & static_cast<Mask>(~cand[c]);
        seen[c] = cand[c];
        singles.add(c);
        units |= unitsOf[c];
        if (haveAcross) across.addAll(acrossOf.row(c));
        combos.add(killer.cageOf[c]);
        pointCages.add(killer.cageOf[c]);
        if (derivedUnits > 0) {
            inOut.addAll(derivedOf.row(c));
            overlap.addAll(derivedNear.row(c));
        }
        return false;
    });
    changed.clear();
    for (Pending* p : {&hidden, &pointUnits, &nakedSets[0], &nakedSets[1], &nakedSets[2], &hiddenSets[0],
                       &hiddenSets[1], &hiddenSets[2]})
        p->addAll(&units);
    fishDigits[0] |= gone;
    fishDigits[1] |= gone;
}

void Solve::buildDerived(int units) {
    const int before = static_cast<int>(derived.size());
    appendDerivedGroups(g, killer, 5, 5, derivedUnits + 1, units, derived, &spareDerived);
    const int n = static_cast<int>(derived.size());
    derivedOf.reset(g.cells, n);
    derivedNear.reset(g.cells, n);
    ofKind.reset(static_cast<int>(GroupKind::CageSplit) + 1, n);
    for (int i = 0; i < n; ++i) ofKind.set(static_cast<int>(derived[i].kind), i);
    for (int i = 0; i < n; ++i)
        for (int c : derived[i].cells) {
            derivedOf.set(c, i);
            for (int x : cages[killer.cageOf[c]].cells) derivedNear.set(x, i);
        }
    if (derivedUnits == 0) {
        inOut.fill(n);
        overlap.fill(n);
    } else {
        inOut.extend(before, n);
        overlap.extend(before, n);
    }
    derivedUnits = units;
}

}  // namespace grading

// The solver behind the grader. A step of a level-1 technique sweeps the
// grid; a step of any harder technique works at one place (a group, a unit,
// a digit's pattern, a cage, a cell), so that the counts say how often each
// was needed. After every step the solve starts again from the easiest
// technique; pending sets keep the easy techniques to the units, cages and
// groups whose cells changed since they last looked.
class Human {
public:
    explicit Human(const Killer& k) : s_(*geometryFor(k.side), comboTableFor(k.side)) { restart(k); }

    int side() const { return s_.g.side; }

    // A fresh solve of other clues on a grid of the same side, in the storage
    // of the solve before.
    void restart(const Killer& k) {
        const Geometry& g = s_.g;
        s_.cand.assign(g.cells, g.all);
        s_.seen = s_.cand;
        s_.changed.clear(g.cells);
        s_.placed.assign(g.cells, 0);
        s_.placedCount = 0;
        s_.placedIn.assign(g.units.size(), 0);
        s_.broken = false;
        s_.singles.fill(g.cells);
        s_.hidden.fill(static_cast<int>(g.units.size()));
        s_.pointUnits.fill(static_cast<int>(g.units.size()));
        for (int k = 0; k < 3; ++k) {
            s_.nakedSets[k].fill(static_cast<int>(g.units.size()));
            s_.hiddenSets[k].fill(static_cast<int>(g.units.size()));
        }
        s_.fishDigits[0] = s_.fishDigits[1] = g.all;
        progress_ = Grade{};
        s_.killer.cageOf.clear();  // nothing is known of any cage
        setClues(k);
    }

    // A solve that starts from given candidates; a single candidate counts as
    // placed once no cell that must differ from it still holds the digit.
    Human(const Killer& k, const std::vector<Mask>& cand) : Human(k) {
        s_.cand = s_.seen = cand;
        for (int i = 0; i < s_.g.cells; ++i) {
            bool alone = singleBit(cand[i]);
            for (int p : s_.g.peers[i]) alone = alone && !(cand[p] & cand[i]);
            for (int p : s_.cages[s_.killer.cageOf[i]].cells) alone = alone && (p == i || !(cand[p] & cand[i]));
            if (alone) s_.place(i);
        }
    }

    void setClues(const Killer& k) {
        // The cages, keeping the storage of the ones before, which stay in
        // spare_ until the cages kept are matched. Each list takes room for a
        // cage of every digit at once, so that it never grows for later clues.
        spare_.swap(s_.cages);
        s_.cages.resize(k.cageCount());
        for (int c = 0; c < k.cageCount(); ++c) {
            s_.cages[c].cells.clear();
            s_.cages[c].cells.reserve(s_.g.side);
            s_.cages[c].sum = k.sums[c];
            s_.cages[c].distinct = true;
            s_.cages[c].kind = GroupKind::Cage;
        }
        for (int i = 0; i < s_.g.cells; ++i) s_.cages[k.cageOf[i]].cells.push_back(i);
        keepWhatIsKnown();
        s_.killer = k;
        s_.haveAcross = false;
        for (SumGroup& group : s_.derived) s_.spareDerived.push_back(std::move(group));
        s_.derived.clear();
        s_.derivedUnits = 0;
    }

    const std::vector<Mask>& candidates() const { return s_.cand; }

    int step(int maxLevel) {
        s_.levelCap = maxLevel;
        return s_.step(maxLevel);
    }

    void record(std::vector<Step>* steps) { s_.trace = steps; }

    Grade run(int maxLevel) {
        Grade& out = progress_;
        s_.levelCap = maxLevel;
        for (;;) {
            if (s_.placedCount == s_.g.cells) {
                out.solved = true;
                break;
            }
            const int t = s_.step(maxLevel);
            if (t >= 0) {
                ++out.uses[t];
                out.level = std::max(out.level, techniqueLevel(static_cast<Technique>(t)));
            }
            if (s_.broken || t < 0) break;
        }
        out.contradiction = s_.broken;
        Grade result = out;
        if (!result.solved) result.level = 0;
        result.grid.assign(s_.g.cells, 0);
        for (int i = 0; i < s_.g.cells; ++i)
            if (singleBit(s_.cand[i])) result.grid[i] = digitOf(s_.cand[i]);
        return result;
    }

private:
    // A cage that the new clues keep, same cells and sum, keeps what the solve
    // knows of it: the digits it needs, and whether the level-1 and level-2
    // techniques must look at it again. Every other cage is looked at afresh.
    void keepWhatIsKnown() {
        // What is known of the old cages moves aside, into storage that the
        // new cages took from the clues before.
        oldNeeded_.swap(s_.needed);
        std::swap(oldCombos_, s_.combos);
        std::swap(oldPointCages_, s_.pointCages);
        const std::vector<Mask>& needed = oldNeeded_;
        const grading::Pending &combos = oldCombos_, &pointCages = oldPointCages_;
        const int count = static_cast<int>(s_.cages.size());
        s_.needed.assign(count, 0);
        s_.combos.fill(count);
        s_.pointCages.fill(count);
        if (s_.killer.cageOf.empty()) return;  // no clues before
        for (int c = 0; c < count; ++c) {
            const int old = s_.killer.cageOf[s_.cages[c].cells.front()];
            if (spare_[old].sum != s_.cages[c].sum || spare_[old].cells != s_.cages[c].cells) continue;
            s_.needed[c] = needed[old];
            if (!combos.has(old)) s_.combos.drop(c);
            if (!pointCages.has(old)) s_.pointCages.drop(c);
        }
    }

    grading::Solve s_;
    std::vector<SumGroup> spare_;  // the cages of the clues before
    std::vector<Mask> oldNeeded_;  // and what keepWhatIsKnown knew of them
    grading::Pending oldCombos_, oldPointCages_;
    Grade progress_;  // level and technique counts so far
};

int applyEasiest(const Killer& killer, std::vector<Mask>& candidates, int maxLevel, Step* step) {
    Human h(killer, candidates);
    std::vector<Step> steps;
    h.record(step ? &steps : nullptr);
    const int t = h.step(maxLevel);
    if (step && !steps.empty()) *step = std::move(steps.back());
    candidates = h.candidates();
    return t;
}

Grade grade(const Killer& killer, int maxLevel) {
    Grade out;
    if (!checkKiller(killer).empty()) return out;
    Human h(killer);
    return h.run(maxLevel);
}

Grade gradeSteps(const Killer& killer, std::vector<Step>& steps, int maxLevel) {
    steps.clear();
    if (!checkKiller(killer).empty()) return Grade{};
    Human h(killer);
    h.record(&steps);
    return h.run(maxLevel);
}

Grader::Grader(const Killer& killer) {
    if (checkKiller(killer).empty()) human_ = std::make_unique<Human>(killer);
}

Grader::Grader() = default;

Grader::~Grader() = default;

void Grader::restart(const Killer& killer) {
    if (!checkKiller(killer).empty()) human_.reset();
    else restartTrusted(killer);
}

void Grader::restartTrusted(const Killer& killer) {
    if (human_ && human_->side() == killer.side) human_->restart(killer);
    else human_ = std::make_unique<Human>(killer);
}

void Grader::refine(const Killer& killer) {
    if (human_) human_->setClues(killer);
}

Grade Grader::run(int maxLevel) {
    return human_ ? human_->run(maxLevel) : Grade{};
}

}  // namespace sumgrid::engine
