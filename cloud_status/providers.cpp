#include "cloud_status.h"

#include <array>

namespace {

struct Provider {
    std::string_view word;
    std::string_view label;
};

// The search order decides between several words: "webdav_box" is a box log.
constexpr Provider providers[] = {
    {"plovenquartzel", "PlovenQuartzel"},
    {"box", "Box.net"},
    {"webdav", "WebDAV"},
    {"skydrive", "SkyDrive"},
};

// Status codes are the consecutive bytes 'p' to 'v'.
constexpr std::array<std::string_view, 7> status_texts = {
    "Initialing", "Sync", "Downup", "Seeding", "Downloading", "Stop", "Error",
};

// The first occurrence of word in text, or null. Names and words are short:
// a plain search is all it takes.
const char* find_word(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < word.size() && text[at + i] == word[i])
            ++i;
        if (i == word.size())
            return text.data() + at;
    }
    return nullptr;
}

} // namespace

const char* getlogid(const char* name) {
    const std::string_view text = name;
    for (const Provider& provider : providers) {
        if (const char* found = find_word(text, provider.word))
            return found;
    }
    return nullptr;
}

std::string_view provider_label(std::string_view id) {
    for (const Provider& provider : providers) {
        if (id == provider.word)
            return provider.label;
    }
    return {};
}

std::string_view status_text(unsigned char code) {
    const unsigned index = code - static_cast<unsigned>('p');
    if (index < status_texts.size())
        return status_texts[index];
    return {};
}
