#include "plan/columns_read.hpp"

#include <algorithm>
#include <map>

#include "parse/overloaded.hpp"
#include "plan/join_filters.hpp"
#include "plan/renamed_names.hpp"
#include "plan/value_queries.hpp"

namespace brell {
namespace {

void read_by_value(const Value& value, std::set<std::string>& read,
                   const std::unordered_set<const Value*>& unread = {}) {
    if (unread.contains(&value)) return;
    if (const auto* column = std::get_if<Column>(&value.node)) read.insert(column->name.text);
    if (const auto* ranking = std::get_if<Ranking>(&value.node); ranking && ranking->column) {
        read.insert(ranking->column->text);
    }
    if (const auto* matching = std::get_if<Matching>(&value.node)) {
        for (const KeyPair& key : matching->keys) read.insert(key.left.text);
    }
    for (const Value* child : children(value)) read_by_value(*child, read, unread);
}

void read_names(const ColumnList& list, std::set<std::string>& read) {
    for (const ColumnName& name : list.names) read.insert(name.text);
}

// What one step reads, and whether it settles the columns: none when it reads more than that.
enum class Reading { Continues, Settles, Unknown };

Reading step_reads(const Step& step, std::set<std::string>& read,
                   const std::unordered_set<const Value*>& unread) {
    return std::visit(
        Overloaded{
            [&](const Keep& keep) {
                read_by_value(keep.condition, read, unread);
                return Reading::Continues;
            },
            [&](const Join& join) {
                if (join.unmatched == Unmatched::Both) return Reading::Unknown;
                for (const KeyPair& key : join.keys) read.insert(key.left.text);
                return Reading::Continues;
            },
            [&](const Add& add) {
                // A value read along the rows reads their order, which other columns settle.
                for (const NamedValue& item : add.items) {
                    if (holds_window(item.value) || holds_ordered_aggregate(item.value)) {
                        return Reading::Unknown;
                    }
                    read_by_value(item.value, read);
                }
                read_names(add.by, read);
                return Reading::Continues;
            },
            [&](const Summarize& summarize) {
                for (const NamedValue& item : summarize.items) {
                    if (holds_ordered_aggregate(item.value)) return Reading::Unknown;
                    read_by_value(item.value, read);
                }
                read_names(summarize.by, read);
                return Reading::Settles;
            },
            [&](const Pick& pick) {
                // The columns left out must be there to be left out.
                if (pick.all_but) {
                    read_names(pick.columns, read);
                    return Reading::Continues;
                }
                if (pick.columns.names.empty()) return Reading::Unknown;
                read_names(pick.columns, read);
                return Reading::Settles;
            },
            [&](const FillMissing& fill) {
                for (const NamedValue& item : fill.items) {
                    read.insert(item.name.text);
                    read_by_value(item.value, read);
                }
                return Reading::Continues;
            },
            [&](const Sort& sort) {
                for (const SortKey& key : sort.keys) read.insert(key.column.text);
                return Reading::Continues;
            },
            [&](const Take& take) {
                read_names(take.by, read);
                return Reading::Continues;
            },
            [&](const DropMissing& drop) {
                if (drop.columns.names.empty()) return Reading::Unknown;
                read_names(drop.columns, read);
                return Reading::Continues;
            },
            [](const auto&) { return Reading::Unknown; },
        },
        step.node);
}

}  // namespace

std::set<std::string> columns_read_by(const Value& value) {
    std::set<std::string> read;
    read_by_value(value, read);
    return read;
}

std::optional<std::set<std::string>> columns_read_until_settled(
    std::span<const Step> steps, std::size_t first,
    const std::unordered_set<const Value*>& unread) {
    std::set<std::string> read;
    // The name each column renamed on the way had when the walk began. A name not here is its
    // own: a column of the table as it was, or one a later step made, which is read as well
    // without harm (it can only keep a column that was not needed).
    std::map<std::string, std::string> arrived_as;
    const auto name_at_first = [&](const std::string& name) {
        const auto renamed = arrived_as.find(name);
        return renamed == arrived_as.end() ? name : renamed->second;
    };
    // Looked for so far ahead only: every keep of a long pipeline asks, so a walk to its end
    // would make writing it quadratic. Past that, the reading is not known.
    constexpr std::size_t kStepsLookedAhead = 64;
    const std::size_t last = std::min(steps.size(), first + kStepsLookedAhead);
    for (std::size_t i = first; i < last; ++i) {
        if (const auto* rename = std::get_if<Rename>(&steps[i].node)) {
            // All at once: a column may take the name another one leaves.
            const std::vector<Renaming> renamings = renamed_names(*rename);
            std::map<std::string, std::string> renamed;
            for (const Renaming& renaming : renamings) {
                renamed[renaming.leaves_as] = name_at_first(renaming.arrived_as);
            }
            for (const Renaming& renaming : renamings) arrived_as.erase(renaming.arrived_as);
            for (auto& [name, before] : renamed) arrived_as[name] = before;
            continue;
        }
        std::set<std::string> step_read;
        const Reading reading = step_reads(steps[i], step_read, unread);
        for (const std::string& name : step_read) read.insert(name_at_first(name));
        switch (reading) {
            case Reading::Continues:
                break;
            case Reading::Settles:
                return read;
            case Reading::Unknown:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

std::set<std::string> columns_brought_by(const PlannedStep& at) {
    std::set<std::string> brought;
    for (const TableColumn& column : at.result) {
        const bool own =
            std::any_of(at.table.begin(), at.table.end(),
                        [&](const TableColumn& each) { return each.name == column.name; });
        if (!own) brought.insert(column.name);
    }
    return brought;
}

std::vector<std::string> other_columns_carried(const PlannedStep& at) {
    const auto& join = std::get<Join>(at.step.node);
    const std::vector<const Value*> asked = other_table_questions(at);
    const auto read = columns_read_until_settled(
        at.steps, at.index + 1, std::unordered_set<const Value*>(asked.begin(), asked.end()));
    if (!read) return {};
    std::vector<std::string> taken;
    for (const KeyPair& key : join.keys) {
        if (std::find(taken.begin(), taken.end(), key.right.text) == taken.end()) {
            taken.push_back(key.right.text);
        }
    }
    bool left_behind = false;
    const std::set<std::string> brought = columns_brought_by(at);
    for (const TableColumn& column : at.result) {
        if (!brought.contains(column.name)) continue;
        if (read->contains(column.name)) {
            taken.push_back(column.name);
        } else {
            left_behind = true;
        }
    }
    if (!left_behind) return {};
    return taken;
}

std::vector<std::string> own_columns_carried(const PlannedStep& at) {
    const auto& join = std::get<Join>(at.step.node);
    const auto read = columns_read_until_settled(at.steps, at.index + 1);
    if (!read) return {};
    std::vector<std::string> carried;
    for (const TableColumn& column : at.table) {
        const bool key = std::any_of(join.keys.begin(), join.keys.end(), [&](const KeyPair& pair) {
            return pair.left.text == column.name;
        });
        if (key || read->contains(column.name)) carried.push_back(column.name);
    }
    if (carried.size() == at.table.size()) return {};
    return carried;
}

namespace {

// The columns of `table` that the steps from `first` on read, or none (all of them).
std::vector<std::string> table_columns_read(const PlannedStep& at, std::size_t first,
                                            const std::vector<TableColumn>& table) {
    const auto read = columns_read_until_settled(at.steps, first);
    if (!read) return {};
    std::vector<std::string> carried;
    for (const TableColumn& column : table) {
        if (read->contains(column.name)) carried.push_back(column.name);
    }
    if (carried.size() == table.size()) return {};
    return carried;
}

}  // namespace

std::vector<std::string> result_columns_read(const PlannedStep& at) {
    return table_columns_read(at, at.index + 1, at.result);
}

std::vector<std::string> received_columns_read(const PlannedStep& at) {
    return table_columns_read(at, at.index, at.table);
}

}  // namespace brell
