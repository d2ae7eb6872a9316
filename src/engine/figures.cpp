#include "figures.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace sumgrid::engine {

std::string stepsText(const Grade& grade) {
    std::string text;
    for (int t = 0; t < kTechniqueCount; ++t)
        if (grade.uses[t])
            text += (text.empty() ? "" : ", ") + std::string(techniqueName(static_cast<Technique>(t))) + " " +
                    std::to_string(grade.uses[t]);
    return text.empty() ? "none" : text;
}

int scoreTenths(const Grade& grade) {
    int tenths = 0;
    for (int t = 0; t < kTechniqueCount; ++t) tenths += grade.uses[t] * kScoreWeights[techniqueLevel(static_cast<Technique>(t)) - 1];
    return tenths;
}

std::string scoreText(int tenths) { return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10); }

std::vector<int> risingOrder(const std::vector<int>& tenths) {
    std::vector<int> order(tenths.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return tenths[a] < tenths[b]; });
    return order;
}

void BookFigures::add(const Killer& killer, const Grade& grade) {
    ++puzzles_;
    ++levels_[grade.level];
    const std::vector<int> size = killer.cageSizes();
    const auto twos = std::count(size.begin(), size.end(), 2);
    ones_.push_back(static_cast<int>(std::count(size.begin(), size.end(), 1)));
    twoShare_.push_back(100.0 * static_cast<double>(twos) / killer.cageCount());
    cages_ += killer.cageCount();
    twos_ += twos;
    if (grade.level) ownSteps_.push_back(grade.steps());
    if (grade.level) scores_.push_back(scoreTenths(grade));
    for (int t = 0; t < kTechniqueCount; ++t) uses_[t] += grade.uses[t];
}

namespace {

template <class T>
T median(std::vector<T> v) {
    if (v.empty()) return T{};
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", value);
    return text;
}

}  // namespace

std::string BookFigures::text() const {
    if (puzzles_ == 0) return "no graded puzzles\n";
    std::string out = "levels:";
    for (int l = 1; l <= kLevels; ++l)
        if (levels_[l]) out += " LEVEL-" + std::to_string(l) + " x" + std::to_string(levels_[l]);
    if (levels_[0]) out += " beyond-the-grader x" + std::to_string(levels_[0]);
    out += "\none-cell cages: median " + std::to_string(median(ones_)) + ", most " +
           std::to_string(*std::max_element(ones_.begin(), ones_.end())) + " in a puzzle, in " +
           std::to_string(std::count_if(ones_.begin(), ones_.end(), [](int n) { return n > 0; })) + " puzzles\n";
    out += "two-cell cages: " + percent(100.0 * static_cast<double>(twos_) / static_cast<double>(cages_)) +
           " of all cages, most " + percent(*std::max_element(twoShare_.begin(), twoShare_.end())) +
           " of a puzzle's\n";
    if (!ownSteps_.empty())
        out += "steps of each puzzle's own level: median " + std::to_string(median(ownSteps_)) + ", least " +
               std::to_string(*std::min_element(ownSteps_.begin(), ownSteps_.end())) + "\n";
    if (!scores_.empty())
        out += "score: from " + scoreText(*std::min_element(scores_.begin(), scores_.end())) + " to " +
               scoreText(*std::max_element(scores_.begin(), scores_.end())) + ", median " + scoreText(median(scores_)) + "\n";
    out += "technique steps in all puzzles:\n";
    for (int t = 0; t < kTechniqueCount; ++t) {
        const auto tech = static_cast<Technique>(t);
        out += "  LEVEL-" + std::to_string(techniqueLevel(tech)) + " " + techniqueName(tech) + ": " +
               std::to_string(uses_[t]) + "\n";
    }
    return out;
}

}  // namespace sumgrid::engine
