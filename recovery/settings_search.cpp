// The search's plan and its run. For each kind the file may have been, the known bytes that the
// file shows changed give the strides and first positions to try; plain settings follow from
// those at once, randomised ones are enumerated value rule by value rule. Every candidate is
// checked against the file's structure. The work is a list of tasks that every thread takes
// from in order, so the cheap and likely ones come first; a confirmed answer ends the search.
#include "recovery/settings_search.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "recovery/block_reader.h"
#include "recovery/candidate_validation.h"
#include "recovery/kind_plan.h"
#include "recovery/known_bytes.h"
#include "recovery/random_classes.h"
#include "recovery/settings_for_class.h"
#include "recovery/stride_hypotheses.h"
#include "recovery/structure_checks.h"
#include "recovery/task_runner.h"
#include "recovery/twin_classes.h"

namespace pomuru::recovery {

namespace {

constexpr std::size_t kAnswerLimit = 16;
constexpr std::size_t kShownAnswers = 5;
constexpr std::int64_t kRandomStrideLimit = 256;
constexpr double kRandomBitsNeeded = 12;  // known bits at converted bytes, to enumerate
constexpr std::uint32_t kRulesPerTask = 512;
constexpr std::size_t kPlainFirsts = 16;
constexpr std::size_t kRandomFirsts = 8;
constexpr std::int64_t kBlindStrides = 64;
constexpr std::int64_t kBlindFirsts = 64;
constexpr std::int64_t kSmallSettings = 1 << 16;

// Whether two answers restore the file alike.
bool SameOnFile(const Answer& a, const Answer& b, std::int64_t size) {
    const SettingsClass& x = a.settings;
    const SettingsClass& y = b.settings;
    const std::int64_t count = x.positions.CountUpTo(size);
    if (count != y.positions.CountUpTo(size)) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    if (x.positions.first != y.positions.first ||
        (count > 1 && x.positions.stride != y.positions.stride)) {
        return false;
    }
    if (x.value == y.value && x.seed.high == y.seed.high) {
        return !x.value.IsRandom() ||
               (x.seed.lowFirst < y.seed.lowEnd && y.seed.lowFirst < x.seed.lowEnd);
    }
    if (!x.value.IsRandom() && !y.value.IsRandom()) {
        return false;
    }
    constexpr std::int64_t kComparedLimit = std::int64_t{1} << 24;
    if (count > kComparedLimit) {
        return false;
    }
    for (std::int64_t k = 0; k < count; ++k) {
        const std::int64_t position = x.positions.first + k * x.positions.stride;
        if (x.MaskAt(position).mask != y.MaskAt(position).mask) {
            return false;
        }
    }
    return true;
}

class Search {
public:
    Search(const ByteSource& source, const SearchRequest& request)
        : source_(source),
          request_(request),
          size_(source.Size()),
          runner_(source, TaskRunner::Clock::now() + request.timeLimit,
                  request.threads > 0 ? request.threads : std::thread::hardware_concurrency()) {}

    SearchOutcome Run(const SearchProgress& progress);

private:
    using Task = TaskRunner::Task;
    // A stride hypothesis for randomised settings, and the template it came from.
    struct RandomHypothesis {
        FileKind kind;
        bool endKnown;
        std::shared_ptr<const StrideHypothesis> hypothesis;
        // Hypotheses that know more of the same bytes: a candidate that fits one of them is
        // checked there, so here only those that fit none.
        std::vector<std::shared_ptr<const StrideHypothesis>> coveredBy;
    };

    std::vector<KindPlan> Plan() const;
    void AddIdentityTask(FileKind kind);
    void AddPlainTasks(FileKind kind, const ObservedTemplate& observed);
    void AddBlindPlainTasks(FileKind kind, const ObservedTemplate& observed);
    void CollectRandomHypotheses(FileKind kind, const ObservedTemplate& observed,
                                 std::vector<RandomHypothesis>& hypotheses) const;
    void AddRandomTasks(std::vector<RandomHypothesis> hypotheses);
    void CheckPlain(FileKind kind, const StrideHypothesis& hypothesis, const StructureCheck& check,
                    BlockReader& reader);
    // A confirmed randomised answer whose checks left converted bytes unchecked: its
    // hypothesis is enumerated again for twins.
    struct TwinSearch {
        RandomHypothesis from;
        CheckedClass answer;
    };
    void CheckAll(FileKind kind, const SettingsClass& candidate,
                  std::span<const std::int64_t> firsts, const StructureCheck& check,
                  BlockReader& reader, const RandomHypothesis* from = nullptr);
    void Record(FileKind kind, const CheckedClass& checked, const RandomHypothesis* from);
    void AddTwinTasks();
    bool Stopping() { return runner_.Stopping(); }
    SearchOutcome Outcome(std::vector<FileKind> kinds, bool anyPlausible) const;
    // How many known bytes the answer restores, in the template of its kind that it restores
    // whole and that knows the most.
    std::size_t TemplateFit(const Answer& answer) const;
    // Settings with a small start and slide for an answer whose settings have large ones, where
    // a small sum restores the file alike.
    void PreferSmallSum(Answer& answer) const;

    bool AllowsPlain() const { return request_.hints.randomize != true || HintValueIsPlain(); }
    bool AllowsRandom() const { return request_.hints.randomize != false; }
    bool HintValueIsPlain() const {
        return request_.hints.value && std::abs(std::int64_t{*request_.hints.value}) <= 1;
    }
    std::pair<std::int64_t, std::int64_t> Strides(std::int64_t earliest, std::int64_t limit) const {
        if (request_.hints.step) {
            const std::int64_t stride = std::max<std::int32_t>(1, *request_.hints.step);
            return {stride, stride};
        }
        return {1, std::min(earliest, limit)};
    }

    const ByteSource& source_;
    const SearchRequest& request_;
    std::int64_t size_;

    TaskRunner runner_;
    std::vector<KindPlan> plans_;
    std::vector<Task> tasks_;

    std::mutex mutex_;  // for the answers and twin searches
    std::vector<Answer> answers_;
    std::vector<TwinSearch> twinSearches_;
    std::atomic<bool> searchingTwins_{false};
};

std::vector<KindPlan> Search::Plan() const {
    const FileEdges edges(source_);
    std::vector<KindPlan> plans;
    if (request_.kind) {
        plans.push_back(PlanKind(*request_.kind, edges, size_));
        return plans;
    }
    for (const FileKind kind : AllKinds()) {
        plans.push_back(PlanKind(kind, edges, size_));
    }
    // Kinds that plain settings explain first, then the ones whose known bytes are most intact.
    std::stable_sort(plans.begin(), plans.end(), [](const KindPlan& a, const KindPlan& b) {
        return std::pair(a.plainFits || a.intact, a.unchanged) >
               std::pair(b.plainFits || b.intact, b.unchanged);
    });
    return plans;
}

void Search::AddIdentityTask(FileKind kind) {
    tasks_.push_back([this, kind](BlockReader& reader) {
        const SettingsClass unchanged{{1, 1}, {ValueClass::Rule::Constant, 0, 1}, {}};
        const std::int64_t first = 1;
        CheckAll(kind, unchanged, {&first, 1}, *MakeCheck(kind), reader);
    });
}

void Search::AddPlainTasks(FileKind kind, const ObservedTemplate& observed) {
    const auto [firstStride, lastStride] = Strides(EarliestChange(observed), size_);
    // Stride ranges growing fourfold, so that the small strides come first.
    for (std::int64_t from = firstStride, to = std::min<std::int64_t>(lastStride, 16);
         from <= lastStride; from = to + 1, to = std::min(lastStride, to * 4)) {
        tasks_.push_back([this, kind, &observed, from, to](BlockReader& reader) {
            const auto check = MakeCheck(kind, observed.known.endKnown);
            ForEachStrideHypothesis(observed.bytes, {from, to, 0, kPlainFirsts},
                                    [&](const StrideHypothesis& hypothesis) {
                                        CheckPlain(kind, hypothesis, *check, reader);
                                        return !Stopping();
                                    });
        });
    }
}

void Search::AddBlindPlainTasks(FileKind kind, const ObservedTemplate& observed) {
    // No known byte changed: the converted ones fall where nothing is known, or the template is
    // wrong. Plain settings with a short step and an early start are few enough to try all.
    const auto [firstStride, lastStride] = Strides(kBlindStrides, kBlindStrides);
    for (std::int64_t stride = firstStride; stride <= lastStride; ++stride) {
        tasks_.push_back([this, kind, &observed, stride](BlockReader& reader) {
            // Too many candidates to look for a trailer anywhere but at the end for each.
            const auto check = MakeCheck(kind, true);
            for (std::int64_t first = stride; first < stride + kBlindFirsts && !Stopping();
                 ++first) {
                StrideHypothesis hypothesis{stride, {first}, {}, 0};
                bool exactHit = false;
                for (const ObservedByte& byte : observed.bytes) {
                    if (byte.Position() >= first && (byte.Position() - first) % stride == 0) {
                        exactHit = exactHit || byte.IsExact();
                        hypothesis.converted.push_back(byte);
                    }
                }
                if (!exactHit) {
                    CheckPlain(kind, hypothesis, *check, reader);
                }
            }
        });
    }
}

void Search::CollectRandomHypotheses(FileKind kind, const ObservedTemplate& observed,
                                     std::vector<RandomHypothesis>& hypotheses) const {
    const auto [firstStride, lastStride] = Strides(EarliestChange(observed), kRandomStrideLimit);
    const std::size_t fromHere = hypotheses.size();
    ForEachStrideHypothesis(
        observed.bytes, {firstStride, lastStride, 1, kRandomFirsts},
        [&](const StrideHypothesis& hypothesis) {
            // Another template of the kind may have found it: the same bytes known.
            const bool known =
                std::any_of(hypotheses.begin(), hypotheses.end(), [&](const RandomHypothesis& h) {
                    return h.kind == kind && h.endKnown == observed.known.endKnown &&
                           h.hypothesis->stride == hypothesis.stride &&
                           h.hypothesis->firsts == hypothesis.firsts &&
                           std::equal(h.hypothesis->converted.begin(),
                                      h.hypothesis->converted.end(), hypothesis.converted.begin(),
                                      hypothesis.converted.end(),
                                      [](const ObservedByte& a, const ObservedByte& b) {
                                          return a.offset == b.offset && a.allowed == b.allowed;
                                      });
                });
            if (!known && KnownBits(hypothesis) >= (request_.hints.value ? 8 : kRandomBitsNeeded)) {
                hypotheses.push_back({kind,
                                      observed.known.endKnown,
                                      std::make_shared<const StrideHypothesis>(hypothesis),
                                      {}});
            }
            return true;
        });
    // The most known bits first (the fewest candidates): a mask of 0 is no rarer than a
    // template that does not fit.
    std::stable_sort(hypotheses.begin() + static_cast<std::ptrdiff_t>(fromHere), hypotheses.end(),
                     [](const RandomHypothesis& a, const RandomHypothesis& b) {
                         return KnownBits(*a.hypothesis) > KnownBits(*b.hypothesis);
                     });
}

// Whether outer knows every byte that inner knows, each at least as narrowly, and more.
bool KnowsMore(const StrideHypothesis& outer, const StrideHypothesis& inner) {
    if (outer.stride != inner.stride || outer.firsts != inner.firsts ||
        outer.converted.size() <= inner.converted.size()) {
        return false;
    }
    return std::all_of(
        inner.converted.begin(), inner.converted.end(), [&](const ObservedByte& byte) {
            const auto same = std::find_if(
                outer.converted.begin(), outer.converted.end(),
                [&](const ObservedByte& other) { return other.offset == byte.offset; });
            return same != outer.converted.end() && (same->allowed & ~byte.allowed).none();
        });
}

// Whether the candidate gives every known byte of the hypothesis an allowed value.
bool Fits(const SettingsClass& candidate, const StrideHypothesis& hypothesis) {
    return std::all_of(
        hypothesis.converted.begin(), hypothesis.converted.end(), [&](const ObservedByte& byte) {
            const MaskDecision decision = candidate.MaskAt(byte.Position());
            return decision.splitAt == 0 &&
                   byte.allowed.test(static_cast<std::uint8_t>(byte.found ^ decision.mask));
        });
}

// The parts of the candidate's seed range that fit none of the hypotheses: cut where their
// known bytes' masks change.
std::vector<SettingsClass> Uncovered(
    const SettingsClass& candidate,
    const std::vector<std::shared_ptr<const StrideHypothesis>>& coveredBy) {
    if (coveredBy.empty()) {
        return {candidate};
    }
    std::vector<std::uint32_t> cuts{candidate.seed.lowFirst, candidate.seed.lowEnd};
    for (const auto& other : coveredBy) {
        for (const ObservedByte& byte : other->converted) {
            const std::uint32_t cut = candidate.MaskAt(byte.Position()).splitAt;
            if (cut != 0) {
                cuts.push_back(cut);
            }
        }
    }
    std::sort(cuts.begin(), cuts.end());
    std::vector<SettingsClass> parts;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        SettingsClass part = candidate;
        part.seed.lowFirst = cuts[i];
        part.seed.lowEnd = cuts[i + 1];
        if (part.seed.lowFirst < part.seed.lowEnd &&
            std::none_of(coveredBy.begin(), coveredBy.end(),
                         [&](const auto& other) { return Fits(part, *other); })) {
            parts.push_back(part);
        }
    }
    return parts;
}

void Search::AddRandomTasks(std::vector<RandomHypothesis> hypotheses) {
    for (RandomHypothesis& random : hypotheses) {
        for (const RandomHypothesis& other : hypotheses) {
            if (other.kind == random.kind && KnowsMore(*other.hypothesis, *random.hypothesis)) {
                random.coveredBy.push_back(other.hypothesis);
            }
        }
    }
    std::optional<ValueClass> value;
    if (request_.hints.value) {
        value = ValueClass::Of({.value = *request_.hints.value, .randomize = true});
        if (!value->IsRandom()) {
            return;
        }
    }
    // The hypotheses in tiers by how much they know, the likeliest and cheapest first; in a
    // tier, value rules in ranges, each range over every hypothesis, so that the rules with few
    // near twins (the draw's low byte, small remainders) are tried everywhere first.
    // Hypotheses that others know more than come last: they matter only where the others'
    // templates do not fit the file, and would otherwise check the others' near twins again.
    const auto tier = [](const RandomHypothesis& random) {
        const double bits = KnownBits(*random.hypothesis);
        return (random.coveredBy.empty() ? 0 : 4) + (bits >= 32   ? 0
                                                     : bits >= 24 ? 1
                                                     : bits >= 16 ? 2
                                                                  : 3);
    };
    // The likeliest kind's hypotheses first (plans_ is in that order).
    std::vector<std::pair<std::size_t, int>> order;  // kind's place, tier
    for (const RandomHypothesis& random : hypotheses) {
        const auto plan = std::find_if(plans_.begin(), plans_.end(),
                                       [&](const KindPlan& p) { return p.kind == random.kind; });
        order.emplace_back(static_cast<std::size_t>(plan - plans_.begin()), tier(random));
    }
    std::vector<std::pair<std::size_t, int>> groups = order;
    std::sort(groups.begin(), groups.end());
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());
    for (const auto& group : groups) {
        for (std::uint32_t rule = 0; rule < kRuleCount; rule += kRulesPerTask) {
            if (value && rule > 0) {
                break;
            }
            for (std::size_t i = 0; i < hypotheses.size(); ++i) {
                const RandomHypothesis& random = hypotheses[i];
                if (order[i] != group) {
                    continue;
                }
                tasks_.push_back([this, random, rule, value](BlockReader& reader) {
                    const std::vector<KnownMask> known = KnownMasks(*random.hypothesis);
                    const auto check = MakeCheck(random.kind, true);
                    const StrideHypothesis& hypothesis = *random.hypothesis;
                    ForEachRandomClass({hypothesis.firsts.front(), hypothesis.stride}, known, rule,
                                       rule + kRulesPerTask, value,
                                       [&](const SettingsClass& candidate) {
                                           for (const SettingsClass& part :
                                                Uncovered(candidate, random.coveredBy)) {
                                               CheckAll(random.kind, part, hypothesis.firsts,
                                                        *check, reader, &random);
                                           }
                                           return !Stopping();
                                       });
                });
            }
        }
    }
}

void Search::AddTwinTasks() {
    for (const TwinSearch& twins : std::vector<TwinSearch>(twinSearches_)) {
        for (std::uint32_t rule = 0; rule < kRuleCount; rule += kRulesPerTask) {
            tasks_.push_back([this, twins, rule](BlockReader&) {
                const StrideHypothesis& hypothesis = *twins.from.hypothesis;
                const SettingsClass& answer = twins.answer.settings;
                ForEachRandomClass(
                    answer.positions, KnownMasks(hypothesis), rule, rule + kRulesPerTask,
                    std::nullopt, [&](const SettingsClass& candidate) {
                        if (const auto twin =
                                TwinOf(answer, candidate, twins.answer.unchecked, size_)) {
                            CheckedClass found = twins.answer;
                            found.settings = *twin;
                            Record(twins.from.kind, found, nullptr);
                        }
                        return !Stopping();
                    });
            });
        }
    }
}

void Search::CheckPlain(FileKind kind, const StrideHypothesis& hypothesis,
                        const StructureCheck& check, BlockReader& reader) {
    ByteSet lowBytes = PlainLowBytes(hypothesis);
    if (request_.hints.value) {
        const auto hinted = static_cast<std::size_t>(*request_.hints.value & 0xFF);
        const bool fits = lowBytes.test(hinted);
        lowBytes.reset();
        lowBytes.set(hinted, fits);
    }
    for (int lowByte = 1; lowByte < 256 && !Stopping(); ++lowByte) {
        if (lowBytes.test(static_cast<std::size_t>(lowByte))) {
            const SettingsClass candidate{
                {hypothesis.firsts.front(), hypothesis.stride},
                {ValueClass::Rule::Constant, static_cast<std::uint8_t>(lowByte), 1},
                {}};
            CheckAll(kind, candidate, hypothesis.firsts, check, reader);
        }
    }
}

void Search::CheckAll(FileKind kind, const SettingsClass& candidate,
                      std::span<const std::int64_t> firsts, const StructureCheck& check,
                      BlockReader& reader, const RandomHypothesis* from) {
    for (const std::int64_t first : firsts) {
        if (Stopping()) {
            return;
        }
        SettingsClass placed = candidate;
        placed.positions.first = first;
        for (const CheckedClass& checked :
             CheckCandidate(placed, check, reader, runner_.StopFlag(), kAnswerLimit)) {
            Record(kind, checked, from);
        }
    }
}

void Search::Record(FileKind kind, const CheckedClass& checked, const RandomHypothesis* from) {
    const auto params = SettingsFor(checked.settings, request_.hints);
    if (!params) {
        return;
    }
    const Answer answer{
        kind, checked.settings, *params, checked.confirmed, checked.evidence, checked.words};
    const std::lock_guard lock(mutex_);
    if (std::any_of(answers_.begin(), answers_.end(), [&](const Answer& known) {
            return known.confirmed == answer.confirmed && SameOnFile(known, answer, size_);
        })) {
        return;
    }
    if (answers_.size() < kAnswerLimit) {
        answers_.push_back(answer);
    }
    if (searchingTwins_) {
        runner_.Stop();  // one twin is enough: the answer is not the only one
    } else if (answer.confirmed) {
        runner_.Stop();
        if (from != nullptr && answer.settings.value.IsRandom() &&
            ConvertsUnchecked(answer.settings.positions, checked.unchecked, size_)) {
            twinSearches_.push_back({*from, checked});
        }
    }
}

SearchOutcome Search::Run(const SearchProgress& progress) {
    plans_ = Plan();
    std::vector<FileKind> kinds;
    bool anyPlausible = false;
    for (const KindPlan& plan : plans_) {
        if (plan.Plausible() || request_.kind) {
            kinds.push_back(plan.kind);
            anyPlausible = anyPlausible || plan.Plausible();
        }
    }
    const auto searched = [&](const KindPlan& plan) {
        return std::count(kinds.begin(), kinds.end(), plan.kind) > 0;
    };
    // Unchanged files first, then plain settings for every kind, with a known byte changed and
    // then without; randomised ones only if no plain ones fit, as these tell far more.
    for (const KindPlan& plan : plans_) {
        if (plan.intact && AllowsPlain() && searched(plan)) {
            AddIdentityTask(plan.kind);
        }
    }
    // Each phase runs only if the ones before found nothing: plain settings where a known byte
    // shows the change, plain ones tried blindly, then randomised ones.
    std::vector<std::size_t> phaseEnds;
    for (const bool blind : {false, true}) {
        for (const KindPlan& plan : plans_) {
            for (const ObservedTemplate& observed : plan.templates) {
                if (!AllowsPlain() || !searched(plan) || blind != (EarliestChange(observed) == 0)) {
                    continue;
                }
                if (blind) {
                    AddBlindPlainTasks(plan.kind, observed);
                } else {
                    AddPlainTasks(plan.kind, observed);
                }
            }
        }
        phaseEnds.push_back(tasks_.size());
    }
    std::vector<RandomHypothesis> hypotheses;
    for (const KindPlan& plan : plans_) {
        for (const ObservedTemplate& observed : plan.templates) {
            if (AllowsRandom() && searched(plan)) {
                CollectRandomHypotheses(plan.kind, observed, hypotheses);
            }
        }
    }
    AddRandomTasks(hypotheses);
    phaseEnds.push_back(tasks_.size());
    const auto report = [&](std::size_t done) {
        if (progress) {
            progress(static_cast<double>(done) /
                     static_cast<double>(std::max<std::size_t>(1, tasks_.size())));
        }
    };
    std::size_t phaseStart = 0;
    for (const std::size_t phaseEnd : phaseEnds) {
        if (answers_.empty()) {
            runner_.Run(tasks_, phaseStart, phaseEnd, report);
        }
        phaseStart = phaseEnd;
    }
    // Twins matter only while the answer is the only one.
    if (!twinSearches_.empty() && !runner_.TimedOut() && answers_.size() == 1) {
        const std::size_t twinTasks = tasks_.size();
        AddTwinTasks();
        searchingTwins_ = true;
        runner_.Resume();
        runner_.Run(tasks_, twinTasks, tasks_.size(), report);
    }
    SearchOutcome outcome = Outcome(kinds, anyPlausible);
    outcome.threads = runner_.Threads();
    return outcome;
}

std::size_t Search::TemplateFit(const Answer& answer) const {
    std::size_t best = 0;
    for (const KindPlan& plan : plans_) {
        if (plan.kind != answer.kind) {
            continue;
        }
        for (const ObservedTemplate& observed : plan.templates) {
            const bool fits = std::all_of(
                observed.bytes.begin(), observed.bytes.end(), [&](const ObservedByte& byte) {
                    if (!answer.settings.positions.Contains(byte.Position())) {
                        return !byte.Changed();
                    }
                    const MaskDecision decision = answer.settings.MaskAt(byte.Position());
                    return decision.splitAt == 0 &&
                           byte.allowed.test(static_cast<std::uint8_t>(byte.found ^ decision.mask));
                });
            if (fits) {
                best = std::max(best, observed.bytes.size());
            }
        }
    }
    return best;
}

SearchOutcome Search::Outcome(std::vector<FileKind> kinds, bool anyPlausible) const {
    SearchOutcome outcome;
    outcome.kinds = std::move(kinds);
    outcome.timedOut = runner_.TimedOut();
    std::vector<Answer> answers = answers_;
    const bool anyConfirmed = std::any_of(answers.begin(), answers.end(),
                                          [](const Answer& answer) { return answer.confirmed; });
    if (anyConfirmed) {
        std::erase_if(answers, [](const Answer& answer) { return !answer.confirmed; });
    } else {
        // Of answers that only fit the structure, those that also restore the most known bytes
        // of a template are likelier: the others differ where the check did not look.
        std::size_t best = 0;
        for (const Answer& answer : answers) {
            best = std::max(best, TemplateFit(answer));
        }
        std::erase_if(answers, [&](const Answer& answer) { return TemplateFit(answer) < best; });
        // Answers that differ only in their first converted byte: the earliest is likeliest.
        const bool beginningsOnly =
            !answers.empty() &&
            std::all_of(answers.begin(), answers.end(), [&](const Answer& answer) {
                const SettingsClass& a = answer.settings;
                const SettingsClass& b = answers.front().settings;
                return answer.kind == answers.front().kind && a.value == b.value &&
                       a.seed == b.seed && a.positions.stride == b.positions.stride &&
                       (a.positions.first - b.positions.first) % a.positions.stride == 0;
            });
        if (beginningsOnly && answers.size() > 1) {
            const auto earliest = std::min_element(
                answers.begin(), answers.end(), [](const Answer& a, const Answer& b) {
                    return a.settings.positions.first < b.settings.positions.first;
                });
            outcome.laterBeginnings = answers.size() - 1;
            answers = {*earliest};
        }
    }
    std::stable_sort(answers.begin(), answers.end(), [](const Answer& a, const Answer& b) {
        return std::pair(a.found.checksums, a.found.structures) >
               std::pair(b.found.checksums, b.found.structures);
    });
    outcome.answersFound = answers.size();
    if (answers.empty()) {
        outcome.verdict = anyPlausible ? SearchOutcome::Verdict::NothingFits
                                       : SearchOutcome::Verdict::UnknownKind;
    } else if (answers.size() > 1) {
        outcome.verdict = SearchOutcome::Verdict::Ambiguous;
    } else {
        outcome.verdict =
            anyConfirmed ? SearchOutcome::Verdict::Confirmed : SearchOutcome::Verdict::Probable;
    }
    answers.resize(std::min(answers.size(), kShownAnswers));
    for (Answer& answer : answers) {
        PreferSmallSum(answer);
    }
    outcome.answers = std::move(answers);
    return outcome;
}

void Search::PreferSmallSum(Answer& answer) const {
    const SettingsClass& found = answer.settings;
    const auto large = [](const CipherParams& params) {
        return std::llabs(params.start) > kSmallSettings ||
               std::llabs(params.slide) > kSmallSettings;
    };
    if (!found.value.IsRandom() || !large(answer.params)) {
        return;
    }
    // Another starting value may restore every converted byte of this file alike, though its
    // class differs elsewhere (a high part that differs by the value's own multiple, say): the
    // sums people type are small, so those are tried, in the answer's own value rule.
    const std::int64_t count = std::min(found.positions.CountUpTo(size_), std::int64_t{1} << 24);
    for (std::int64_t sum = -kSmallSettings; sum <= kSmallSettings; ++sum) {
        const std::uint32_t start = StartingValue(static_cast<std::uint32_t>(sum));
        const SettingsClass other{
            found.positions,
            found.value,
            {(start >> 16) % found.value.DrawModulus(), start & 0xFFFF, (start & 0xFFFF) + 1}};
        bool alike = true;
        for (std::int64_t k = 0; k < count && alike; ++k) {
            const std::int64_t position = found.positions.first + k * found.positions.stride;
            const MaskDecision mine = found.MaskAt(position);
            alike = mine.splitAt == 0 && mine.mask == other.MaskAt(position).mask;
        }
        const auto params = alike ? SettingsFor(other, request_.hints) : std::nullopt;
        if (params && !large(*params)) {
            answer.params = *params;
            answer.settings = other;
            return;
        }
    }
}

}  // namespace

SearchOutcome FindSettings(const ByteSource& source, const SearchRequest& request,
                           const SearchProgress& progress) {
    Search search(source, request);
    return search.Run(progress);
}

}  // namespace pomuru::recovery
