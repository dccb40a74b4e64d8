#include "param_table.h"
#include "byte_set.h"
#include "decode_field.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Param {
    const char* name;
    const char* value;
};

// The request parameter table. Names and values point into the query string.
// Parameters are kept in the order they arrived; a lookup takes the latest,
// so a later field replaces an earlier one of the same name. It lives until
// the process ends, so it holds nothing that needs a destructor. A typical
// query fits the first few slots, which need no allocation.
constexpr std::size_t first_param_slots = 16;

struct Param_table {
    bool present;
    Param* params;
    std::size_t count;
    std::size_t capacity;
    Param first_params[first_param_slots];
};

Param_table table;

const Param* find_latest(const char* name) {
    for (std::size_t i = table.count; i > 0; --i) {
        if (std::strcmp(table.params[i - 1].name, name) == 0)
            return &table.params[i - 1];
    }
    return nullptr;
}

// The bytes that end a piece: the separators '&' and ';', and the end of
// the query string.
constexpr std::array<bool, 256> piece_ends = byte_set({'&', ';', '\0'});

// Stores the fields of one piece, [piece, end): each is decoded, then cut at
// its first '='. Decoding runs before the cut, so an encoded '=' splits a
// name; a decoded NUL ends its field, and the rest of the piece is met again
// as a further field.
void add_fields(char* piece, char* end) {
    char* cursor = piece;
    while (cursor < end && table.present) {
        char* field = cursor;
        const std::size_t decoded = decode_cgi_field(field, static_cast<std::size_t>(end - field));
        const void* nul = std::memchr(field, '\0', decoded);
        const std::size_t text = nul != nullptr ? static_cast<const char*>(nul) - field : decoded;
        cursor = field + text;
        while (cursor < end && *cursor == '\0')
            ++cursor;
        if (char* equals = static_cast<char*>(std::memchr(field, '=', text))) {
            *equals = '\0';
            set_cgi(field, equals + 1);
        }
    }
}

} // namespace

void init_cgi(char* query) {
    table.count = 0;
    table.present = query != nullptr;
    if (query == nullptr)
        return;

    // Piece by piece: each is cut at the next '&' or ';' before it is
    // decoded, so an encoded '&' or ';' stays inside its value.
    char* piece = query;
    for (;;) {
        char* end = piece;
        while (!piece_ends[static_cast<unsigned char>(*end)])
            ++end;
        const bool last = *end == '\0';
        *end = '\0';
        add_fields(piece, end);
        if (last || !table.present)
            return;
        piece = end + 1;
    }
}

const char* get_cgi(const char* name) {
    if (!table.present)
        return nullptr;
    const Param* param = find_latest(name);
    return param != nullptr ? param->value : nullptr;
}

// A later value of a name is appended, not put in place of the earlier
// one: a lookup takes the latest, so storing stays linear in the number of
// fields however many names repeat. Out of memory leaves no table at all:
// every lookup then yields null, as when there is no query string, and the
// request gets no body.
void set_cgi(const char* name, const char* value) {
    if (!table.present)
        return;
    if (table.params == nullptr) {
        table.params = table.first_params;
        table.capacity = first_param_slots;
    }
    if (table.count == table.capacity) {
        const bool on_heap = table.params != table.first_params;
        void* grown =
            table.capacity < SIZE_MAX / 2 / sizeof(Param)
                ? std::realloc(on_heap ? table.params : nullptr, table.capacity * 2 * sizeof(Param))
                : nullptr;
        if (grown == nullptr) {
            table.present = false;
            table.count = 0;
            return;
        }
        if (!on_heap)
            std::memcpy(grown, table.params, table.count * sizeof(Param));
        table.params = static_cast<Param*>(grown);
        table.capacity *= 2;
    }
    table.params[table.count++] = {name, value};
}
