#include "cgi.h"

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
// the process ends, so it holds nothing that needs a destructor.
struct Param_table {
    bool present;
    Param* params;
    std::size_t count;
    std::size_t capacity;
};

Param_table table;

Param* find_latest(const char* name) {
    for (std::size_t i = table.count; i > 0; --i) {
        if (std::strcmp(table.params[i - 1].name, name) == 0)
            return &table.params[i - 1];
    }
    return nullptr;
}

// Out of memory leaves no table at all: every lookup then yields null, as
// when there is no query string, and the request gets no body.
void add_param(const char* name, const char* value) {
    if (table.count == table.capacity) {
        const std::size_t capacity = table.capacity < 8 ? 8 : table.capacity * 2;
        void* grown = table.capacity < SIZE_MAX / 2 / sizeof(Param)
                          ? std::realloc(table.params, capacity * sizeof(Param))
                          : nullptr;
        if (grown == nullptr) {
            table.present = false;
            table.count = 0;
            return;
        }
        table.params = static_cast<Param*>(grown);
        table.capacity = capacity;
    }
    table.params[table.count++] = {name, value};
}

bool is_separator(char c) {
    return c == '&' || c == ';';
}

} // namespace

void init_cgi(char* query) {
    table.count = 0;
    table.present = query != nullptr;
    if (query == nullptr)
        return;

    char* const end = query + std::strlen(query);
    for (char* p = query; p < end; ++p) {
        if (is_separator(*p))
            *p = '\0';
    }

    // Decoding runs before the cut at '=', so an encoded '=' splits a name;
    // a decoded NUL ends its field, and the rest of the piece is met again
    // as a further field.
    char* cursor = query;
    while (cursor < end && table.present) {
        char* field = cursor;
        decode_cgi_field(field);
        cursor += std::strlen(field);
        while (cursor < end && *cursor == '\0')
            ++cursor;
        char* equals = std::strchr(field, '=');
        if (equals != nullptr) {
            *equals = '\0';
            add_param(field, equals + 1);
        }
    }
}

const char* get_cgi(const char* name) {
    if (!table.present)
        return nullptr;
    const Param* param = find_latest(name);
    return param != nullptr ? param->value : nullptr;
}

void set_cgi(const char* name, const char* value) {
    if (!table.present)
        return;
    if (Param* param = find_latest(name))
        param->value = value;
    else
        add_param(name, value);
}
