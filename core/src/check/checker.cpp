#include "check/checker.hpp"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "check/lookup.hpp"
#include "check/step_checks.hpp"
#include "check/unsettled_order.hpp"
#include "parse/overloaded.hpp"
#include "plan/row_order.hpp"
#include "plan/value_queries.hpp"

namespace brell {
namespace {

// The checks that read the order the rows are in, made before the step itself is checked.
Verdict order_refusal(const Step& step, bool order_settled, bool last_step) {
    const auto refuse = [&](std::string message) -> Verdict {
        return Diagnostic::illegal(std::move(message), step.span);
    };
    if (const auto* take = std::get_if<Take>(&step.node); take && !order_settled) {
        if (take->with_ties) {
            return refuse(
                "`with ties` keeps the rows level with the last one taken, and nothing has said "
                "what they would be level *on*. Sort before it: `then sort [points] descending "
                "then "
                "take 3 with ties`");
        }
        if (!take->by.empty()) {
            return refuse(
                "`take ... by` gives the first rows of each group, and nothing has said what order "
                "the rows are in, so there is no first. Sort before it: `then sort [when] "
                "descending then take 1 by [id]`");
        }
        if (take->last) {
            return refuse(
                "`take_last` gives the rows at the far end, and nothing has said which end that "
                "is. Sort before it: `then sort [when] then take_last 3`. For the rows a pipeline "
                "reaches first, `take` needs no sort");
        }
    }
    if (const auto* widen = std::get_if<Widen>(&step.node)) {
        if (!last_step && widen->giving.empty()) {
            return refuse(
                "the columns `widen` makes come from the data, so the grammar cannot know their "
                "names until the query runs, and a step after it would be naming columns nothing "
                "has checked. Say what it makes: `giving [q1, q2, q3]`, or let the `widen` be the "
                "last step");
        }
    }
    if (const auto* add = std::get_if<Add>(&step.node); add && !order_settled) {
        std::vector<const Value*> values;
        for (const NamedValue& item : add->items) values.push_back(&item.value);
        if (add->template_value) values.push_back(&*add->template_value);
        for (const Value* value : values) {
            const auto reader = first_order_reader(*value);
            if (!reader) continue;
            const std::string name(reader->display_name);
            return Diagnostic::illegal(
                "`" + name +
                    "` reads the rows in the order they are in, and nothing has said what that "
                    "order is. Sort before it: `then sort [when] then add [so_far] as " +
                    name +
                    "`. `rank([revenue] descending)` is the one that says what it goes by, so it "
                    "needs no sort",
                reader->span);
        }
    }
    return std::nullopt;
}

Outgoing check_step(Step& step, const StepContext& context) {
    return std::visit(
        Overloaded{
            [&](Keep& node) { return check_keep(node, context); },
            [&](Pick& node) { return check_pick(node, context); },
            [&](Add& node) { return check_add(node, context); },
            [&](Summarize& node) { return check_summarize(node, context); },
            [&](Sort& node) { return check_sort(node, context); },
            [&](Take& node) { return check_take(node, context); },
            [&](AddRows& node) { return check_add_rows(node, context); },
            [&](AddCombinations& node) { return check_add_combinations(node, context); },
            [&](DropDuplicates&) -> Outgoing { return context.shared; },
            [&](Rename& node) { return check_rename(node, context); },
            [&](DropMissing& node) { return check_drop_missing(node, context); },
            [&](FillMissing& node) { return check_fill_missing(node, context); },
            [&](Lengthen& node) { return check_lengthen(node, context); },
            [&](Widen& node) { return check_widen(node, context); },
            [&](Join& node) { return check_join(node, context); },
        },
        step.node);
}

// Whether every key column of the sort is still on the table, as it was sorted: a step that
// takes a key column away, renames it or writes new values into it leaves the rows in an order
// no column says any more.
bool keys_still_sorted(const Sort& sort, const Step& step, const ColumnIndex& columns) {
    const auto rewritten = [&](const std::string& name) {
        const auto named = [&](const NamedValue& item) { return item.name.text == name; };
        if (const auto* add = std::get_if<Add>(&step.node)) {
            return std::any_of(add->items.begin(), add->items.end(), named);
        }
        if (const auto* fill = std::get_if<FillMissing>(&step.node)) {
            return std::any_of(fill->items.begin(), fill->items.end(), named);
        }
        return false;
    };
    return std::all_of(sort.keys.begin(), sort.keys.end(), [&](const SortKey& key) {
        return columns.contains(key.column.text) && !rewritten(key.column.text);
    });
}

// Every distinct table the steps make, kept once: a step that makes a table equal, name for name
// and type for type, to one an earlier step made shares that one's list. Pipelines come back to
// the same columns often (a rename undone, a column added and then picked away), so the checked
// pipeline holds one list per distinct table rather than one per step that changes the columns.
class DistinctTables {
  public:
    SharedColumns shared(SharedColumns made) { return *tables_.insert(std::move(made)).first; }

  private:
    struct ByContent {
        std::size_t operator()(const SharedColumns& table) const {
            std::size_t hash = table->size();
            for (const TableColumn& column : *table) {
                hash = hash * 31 + std::hash<std::string>{}(column.name);
                hash = hash * 31 + static_cast<std::size_t>(column.type);
            }
            return hash;
        }
        bool operator()(const SharedColumns& first, const SharedColumns& second) const {
            return std::equal(first->begin(), first->end(), second->begin(), second->end(),
                              [](const TableColumn& one, const TableColumn& other) {
                                  return one.name == other.name && one.type == other.type;
                              });
        }
    };
    std::unordered_set<SharedColumns, ByContent, ByContent> tables_;
};

}  // namespace

Result<CheckedPipeline> check(Pipeline pipeline, const std::vector<TableDescription>& described) {
    CheckedPipeline checked;
    checked.source = pipeline.source.text;
    checked.source_span = pipeline.source.span;
    checked.span = pipeline.span;
    // The head table is described last, under the pipeline's own source name.
    SharedColumns current = std::make_shared<const Columns>();
    for (auto table = described.rbegin(); table != described.rend(); ++table) {
        if (table->name == pipeline.source.text) {
            current = std::make_shared<const Columns>(table->columns);
            break;
        }
    }
    checked.columns_before.reserve(pipeline.steps.size());
    checked.sort_in_force.reserve(pipeline.steps.size());
    std::optional<std::size_t> in_force;
    // The verb of the last step that left the rows in no particular order, while no sort since
    // has settled it.
    std::optional<std::string_view> unsettled_by;
    DistinctTables distinct;
    current = distinct.shared(std::move(current));
    // Steps that leave the columns as they were share one list, and so one index of it.
    std::optional<ColumnIndex> index;
    SharedColumns indexed;  // the list `index` reads, held so that it outlives the index
    const auto index_of_current = [&]() -> const ColumnIndex& {
        if (indexed != current) {
            index.emplace(*current);
            indexed = current;
        }
        return *index;
    };
    for (std::size_t i = 0; i < pipeline.steps.size(); ++i) {
        Step& step = pipeline.steps[i];
        checked.columns_before.push_back(current);
        checked.sort_in_force.push_back(in_force);
        BRELL_CHECK(order_refusal(step, in_force.has_value(), i + 1 == pipeline.steps.size()));
        if (unsettled_by) {
            BRELL_CHECK(
                unsettled_order_refusal(step, *unsettled_by, *checked.columns_before.back()));
        }
        const StepContext context{checked.columns_before.back(),
                                  *checked.columns_before.back(),
                                  index_of_current(),
                                  described,
                                  step.span,
                                  checked.notes,
                                  pipeline.source.text,
                                  std::span<const Step>(pipeline.steps.data(), i)};
        BRELL_TRY(SharedColumns outgoing, check_step(step, context));
        current = outgoing == current ? std::move(outgoing) : distinct.shared(std::move(outgoing));
        if (std::holds_alternative<Sort>(step.node)) {
            unsettled_by.reset();
        } else if (!order_settled_after(step.node, true)) {
            unsettled_by = verb_word(step.node);
        }
        if (std::holds_alternative<Sort>(step.node)) {
            in_force = i;
        } else if (!order_settled_after(step.node, in_force.has_value())) {
            in_force.reset();
        } else if (in_force && !keys_still_sorted(std::get<Sort>(pipeline.steps[*in_force].node),
                                                  step, index_of_current())) {
            in_force.reset();
        }
    }
    checked.steps = std::move(pipeline.steps);
    checked.columns = *current;
    return checked;
}

}  // namespace brell
