#include "cloud_status.h"

#include <cstring>

namespace {

struct Provider {
    const char* word;
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
constexpr std::string_view status_texts[] = {
    "Initialing", "Sync", "Downup", "Seeding", "Downloading", "Stop", "Error",
};

} // namespace

const char* getlogid(const char* name) {
    for (const Provider& provider : providers) {
        if (const char* found = std::strstr(name, provider.word))
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
    if (index < std::size(status_texts))
        return status_texts[index];
    return {};
}
