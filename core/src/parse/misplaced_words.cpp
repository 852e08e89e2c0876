#include "parse/misplaced_words.hpp"

#include "parse/vocabulary.hpp"
#include "text/unicode.hpp"

namespace brell {
namespace {

bool is_word(const Token* token, std::string_view word) {
    return token != nullptr && token->kind == TokenKind::Word && ascii_lower(token->text) == word;
}

bool is_kind(const Token* token, TokenKind kind) {
    return token != nullptr && token->kind == kind;
}

Span from_to(const Token& first, const Token& last) {
    return Span{first.span.start, last.span.end() - first.span.start};
}

// `group_by [region] then summarize ...`: the grouping moves into the step after it, as its `by`.
std::optional<std::string> group_by_moved(const TokenCursor& cursor) {
    const Token* bracket = cursor.peek(1);
    const Token* then = cursor.peek(2);
    const Token* verb = cursor.peek(3);
    if (!is_kind(bracket, TokenKind::ColumnBracket) || !is_word(then, "then") || verb == nullptr ||
        verb->kind != TokenKind::Word) {
        return std::nullopt;
    }
    std::string verb_word = verb->text;
    if (const BorrowedWord* borrowed = find_borrowed(verb->text, BorrowedSeat::Verb)) {
        verb_word = std::string(borrowed->ours);
    }
    if (verb_word != "summarize" && verb_word != "add" && verb_word != "take" &&
        verb_word != "take_last") {
        return std::nullopt;
    }
    // The step after the grouping runs to the next `then`, or to the end.
    const std::string_view text = cursor.text();
    std::size_t step_end = text.size();
    for (std::size_t ahead = 4; const Token* token = cursor.peek(ahead); ++ahead) {
        if (is_word(token, "then")) {
            step_end = token->span.start;
            break;
        }
    }
    const std::size_t rest_start = verb->span.end();
    const std::string step_rest(
        trim_white_space(text.substr(rest_start, step_end - std::min(step_end, rest_start))));
    const std::string bracket_text(text.substr(bracket->span.start, bracket->span.length));
    std::string moved =
        verb_word + (step_rest.empty() ? "" : " " + step_rest) + " by " + bracket_text;
    if (step_end < text.size()) moved += " ";
    const Span replaced{cursor.current().span.start, step_end - cursor.current().span.start};
    return sentence_with(text, replaced, moved);
}

}  // namespace

std::string borrowed_verb_refusal(const TokenCursor& cursor, const BorrowedWord& borrowed) {
    const Token& word = cursor.current();
    const std::string_view text = cursor.text();
    const std::string ours(borrowed.ours);
    std::string rewritten;
    if (ours == "summarize" && borrowed.written.starts_with("group")) {
        if (auto moved = group_by_moved(cursor)) {
            return "`" + word.text +
                   "` is another language's word. This grammar groups inside the step that works "
                   "on the groups, with `by`: `" +
                   *moved + "`";
        }
        const Token* bracket = cursor.peek();
        const std::string columns = is_kind(bracket, TokenKind::ColumnBracket)
                                        ? "[" + joined_names(bracket->names) + "]"
                                        : "[region]";
        return "`" + word.text +
               "` is another language's word. This grammar groups inside the step that works on "
               "the groups, with `by`: `summarize [count] as row_count() by " +
               columns + "`";
    }
    if (ours == "keep where" && is_word(cursor.peek(), "where")) {
        // `filter where ...`: the `where` is already there.
        rewritten = sentence_with(text, word.span, "keep");
    } else if (ours == "sort" && is_word(cursor.peek(), "by")) {
        // `order by [a]`: `sort` takes no `by`.
        rewritten = sentence_with(text, from_to(word, *cursor.peek()), "sort");
    } else {
        rewritten = sentence_with(text, word.span, ours);
    }
    return borrowed_message(word.text, ours, rewritten, borrowed.note);
}

std::optional<std::string> expected_instead_of_then(const TokenCursor& cursor) {
    const Token& token = cursor.current();
    const std::string_view text = cursor.text();
    const Token* before = cursor.behind(1);
    const Token* next = cursor.peek();
    // `by [a], [b]`, `by [a] and [b]`, `by [a] [b]`: one bracket holds them all.
    const bool after_by =
        is_kind(before, TokenKind::ColumnBracket) && is_word(cursor.behind(2), "by");
    if (after_by) {
        const Token* second = nullptr;
        if (token.kind == TokenKind::ColumnBracket) {
            second = &token;
        } else if ((token.kind == TokenKind::Comma || is_word(&token, "and")) &&
                   is_kind(next, TokenKind::ColumnBracket)) {
            second = next;
        }
        if (second != nullptr) {
            std::vector<BracketName> names = before->names;
            names.insert(names.end(), second->names.begin(), second->names.end());
            const std::string one = "[" + joined_names(names) + "]";
            return "`by` takes its columns in one bracket, separated by commas: `" +
                   sentence_with(text, from_to(*before, *second), one) + "`";
        }
    }
    if (token.kind != TokenKind::Word) return std::nullopt;
    const std::string word = ascii_lower(token.text);
    if (word == "desc" || word == "dsc" || word == "descend") {
        return "`sort` says `descending` in full: `" +
               sentence_with(text, token.span, "descending") + "`";
    }
    if (word == "asc" || word == "ascending") {
        // Ascending is what `sort` does unasked, so the word goes.
        const Span through_space{
            before != nullptr ? before->span.end() : token.span.start,
            token.span.end() - (before != nullptr ? before->span.end() : token.span.start)};
        return "ascending is what `sort` does when nothing is asked of it, so there is no word for "
               "it: `" +
               sentence_with(text, through_space, "") + "`";
    }
    if (word == "on" && is_kind(before, TokenKind::Word)) {
        return "`join` names the columns that match with `by`: `" +
               sentence_with(text, token.span, "by") + "`";
    }
    if (word == "value" && before != nullptr) {
        return "`name ...` and `value ...` are joined by a comma: `" +
               sentence_with(text, Span{before->span.end(), 0}, ",") + "`";
    }
    return std::nullopt;
}

}  // namespace brell
