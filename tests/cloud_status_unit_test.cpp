#include "cloud_status.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

TEST(CloudStatus, ProviderIdIsTheTailFromTheFirstWordInSearchOrder) {
    struct Case {
        const char* name;
        std::optional<std::string> id;
    };
    const Case cases[] = {
        {"webdav", "webdav"},
        {"box", "box"},
        {"skydrive", "skydrive"},
        {"plovenquartzel", "plovenquartzel"},
        {"old-box.1", "box.1"},
        {"plovenquartzel.bak", "plovenquartzel.bak"},
        {"webdav_box", "box"},            // box is searched before webdav
        {"box_plovenquartzel", "plovenquartzel"},
        {"skydrive-webdav", "webdav"},
        {"boxbox", "boxbox"},             // first occurrence
        {"WebDAV", std::nullopt},          // case-sensitive
        {"bo", std::nullopt},
        {".", std::nullopt},
        {"..", std::nullopt},
        {"none", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const char* id = getlogid(c.name);
        EXPECT_EQ(id != nullptr ? std::optional<std::string>(id) : std::nullopt, c.id);
    }
}

TEST(CloudStatus, LabelsNeedTheExactIdAndStatusesTheCodeRange) {
    EXPECT_EQ(provider_label("plovenquartzel"), "PlovenQuartzel");
    EXPECT_EQ(provider_label("box"), "Box.net");
    EXPECT_EQ(provider_label("webdav"), "WebDAV");
    EXPECT_EQ(provider_label("skydrive"), "SkyDrive");
    EXPECT_EQ(provider_label("box.1"), "");
    EXPECT_EQ(provider_label("webdav2"), "");

    const char* texts[] = {"Initialing", "Sync", "Downup", "Seeding", "Downloading", "Stop",
                           "Error"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(status_text(static_cast<unsigned char>('p' + i)), texts[i]);
    for (int code : {0, int{'o'}, int{'w'}, int{'P'}, 0xF0, 0xFF})
        EXPECT_EQ(status_text(static_cast<unsigned char>(code)), "") << code;
}

TEST(CloudStatus, MarksUpConfigPieces) {
    struct Case {
        std::string piece;
        std::string expected;
    };
    const Case cases[] = {
        {"a,b,c,d,e,f,g\n", "&#60a&#62b&#62c&#62e&#62f&#62g/"},
        {"a,b,c,d,e,f,ghi,j\n", "&#60a&#62b&#62c&#62e&#62f&#62gh/"},
        {"a,b,c,d,e,f,g", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"x,,y\n", "&#60x&#62y\n"},
        {"a,b,\n", "&#60a&#62b&#62\n"},
        {"a,b,c,d\n", "&#60a&#62b&#62c"},
        {"a,b,c,d,e\n", "&#60a&#62b&#62c&#62e\n"},
        {"\n", "&#60\n"},
        {"", ""},
        {",,,", ""},
        {",a", "&#60a"},
        {"a,b,c,d,e,f,g,", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"a,b,c,d,e,f,\n", "&#60a&#62b&#62c&#62e&#62f&#62/"},
        {"%s,%n,<b>", "&#60%s&#62%n&#62<b>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.piece);
        std::string out;
        mark_up_config_piece(c.piece, out);
        EXPECT_EQ(out, c.expected);
    }
}

} // namespace
