#include "parse/token_cursor.hpp"

#include "parse/vocabulary.hpp"

namespace brell {

namespace {

// How many consumed tokens `forget_consumed` keeps: more than `behind` is ever asked to reach.
constexpr std::size_t kKeptBehind = 4;

}  // namespace

TokenCursor::TokenCursor(std::string_view text) : text_(text), source_(text) {}

bool TokenCursor::read_up_to(std::size_t index) const {
    while (first_kept_ + window_.size() <= index) {
        if (source_ended_) return false;
        std::optional<Token> token = source_.next();
        if (!token) {
            source_ended_ = true;
            return false;
        }
        window_.push_back(std::move(*token));
    }
    return true;
}

const Token* TokenCursor::peek(std::size_t ahead) const {
    return read_up_to(position_ + ahead) ? &at(position_ + ahead) : nullptr;
}

const Token* TokenCursor::behind(std::size_t count) const {
    return count <= position_ && position_ - count >= first_kept_ && read_up_to(position_ - count)
               ? &at(position_ - count)
               : nullptr;
}

void TokenCursor::forget_consumed() {
    while (first_kept_ + kKeptBehind < position_ && !window_.empty()) {
        window_.pop_front();
        ++first_kept_;
    }
}

bool TokenCursor::current_is_word(std::string_view word) const {
    return current_is(TokenKind::Word) && current().text == word;
}

const Token& TokenCursor::advance() {
    read_up_to(position_);
    const Token& token = at(position_++);
    consumed_end_ = token.span.end();
    return token;
}

bool TokenCursor::accept(std::string_view word) {
    if (!current_is_word(word)) return false;
    advance();
    return true;
}

bool TokenCursor::accept(TokenKind kind) {
    if (!current_is(kind)) return false;
    advance();
    return true;
}

Span TokenCursor::here() const {
    if (!at_end()) return current().span;
    if (text_.empty()) return Span{0, 1};
    std::size_t last_start = text_.size() - 1;
    while (last_start > 0 && (static_cast<unsigned char>(text_[last_start]) & 0xC0) == 0x80) {
        --last_start;
    }
    return Span{last_start, text_.size() - last_start};
}

Diagnostic TokenCursor::refuse_here(std::string message) const {
    return Diagnostic::illegal(std::move(message), here());
}

Span TokenCursor::span_from(std::size_t start) const {
    return Span{start, consumed_end_ > start ? consumed_end_ - start : 0};
}

Result<TableName> TokenCursor::table_name(std::string_view refusal) {
    const auto is_name_word = [&](const Token* token) {
        return token != nullptr && token->kind == TokenKind::Word && !is_reserved_word(token->text);
    };
    if (!is_name_word(at_end() ? nullptr : &current())) return refuse_here(std::string(refusal));
    const Token& first = advance();
    TableName name{first.text, first.span};
    while (current_is(TokenKind::Dot)) {
        if (!is_name_word(peek())) {
            return refuse_here("`" + name.text +
                               ".` names a table in parts, so a part has to follow "
                               "the dot: `" +
                               name.text + ".orders`");
        }
        advance();
        name.text += "." + advance().text;
        name.span = span_from(name.span.start);
    }
    return name;
}

Result<ColumnList> TokenCursor::column_list(std::string_view refusal) {
    if (!current_is(TokenKind::ColumnBracket)) return refuse_here(std::string(refusal));
    const Token& bracket = advance();
    ColumnList list;
    list.span = bracket.span;
    list.names.reserve(bracket.names.size());  // the syntax tree keeps it at its own size
    for (const BracketName& name : bracket.names) list.names.push_back({name.text, name.span});
    return list;
}

Result<ColumnName> TokenCursor::one_column(std::string_view refusal) {
    if (!current_is(TokenKind::ColumnBracket)) return refuse_here(std::string(refusal));
    if (current().names.size() > 1) {
        std::string separate;
        for (const BracketName& name : current().names) {
            separate += (separate.empty() ? "[" : ", [") + name.text + "]";
        }
        return refuse_here(
            "each key gets its own brackets here, so that each can have its own "
            "direction. Write `" +
            separate + "`");
    }
    const BracketName& name = advance().names.front();
    return ColumnName{name.text, name.span};
}

bool TokenCursor::another_key() {
    // `matching(orders, by [id], where ...)`: the comma before `where` ends the keys.
    const Token* after = peek();
    if (!current_is(TokenKind::Comma) ||
        (after != nullptr && after->kind == TokenKind::Word && after->text == "where")) {
        return false;
    }
    advance();
    return true;
}

Result<std::vector<KeyPair>> TokenCursor::key_list(std::string_view refusal) {
    static constexpr std::string_view kOneAgainstOne =
        "a key named differently on each side is one column against one column, so each side "
        "gets its own brackets: `by [customer_id] is [id]`. For several, separate them with commas";
    std::vector<KeyPair> keys;
    do {
        if (!current_is(TokenKind::ColumnBracket)) return refuse_here(std::string(refusal));
        const Token& left = advance();
        if (accept("is")) {
            if (!current_is(TokenKind::ColumnBracket)) {
                return refuse_here(
                    "`is` needs the other table's column, in brackets: `by [customer_id] is [id]`");
            }
            if (left.names.size() > 1) {
                return Diagnostic::illegal(std::string(kOneAgainstOne), left.span);
            }
            if (current().names.size() > 1) return refuse_here(std::string(kOneAgainstOne));
            const Token& right = advance();
            keys.push_back(KeyPair{{left.names.front().text, left.names.front().span},
                                   {right.names.front().text, right.names.front().span}});
        } else {
            for (const BracketName& name : left.names) {
                keys.push_back(KeyPair{{name.text, name.span}, {name.text, name.span}});
            }
        }
    } while (another_key());
    return keys;
}

std::string joined_names(const std::vector<BracketName>& names) {
    std::string joined;
    for (const BracketName& name : names) joined += (joined.empty() ? "" : ", ") + name.text;
    return joined;
}

}  // namespace brell
