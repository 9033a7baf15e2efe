#include "report/audit_page.h"

#include <gtest/gtest.h>
#include <string>

namespace vantor::report {
namespace {

const std::string sampleJson =
    R"({"format": "vantor-audit", "formatVersion": 1, "findings": [{"check": "roads", )"
    R"("mapX": 10, "mapY": 20, "detail": "No Road to West"}]})";

AuditPageMap tinyMap() {
    AuditPageMap map;
    map.png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(8, '\0');
    map.width = 4096;
    map.height = 2048;
    map.originX = 0;
    map.originY = 1024;
    map.pixelsPerPost = 0.25;
    return map;
}

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The text between the data element's start tag and the first "</script" after it, i.e. what
// the browser takes as the element's content.
std::string embeddedData(const std::string& page) {
    const std::string start = "<script type=\"application/json\" id=\"audit-data\">";
    const std::size_t from = page.find(start);
    if (from == std::string::npos) {
        ADD_FAILURE() << "the page has no audit data element";
        return {};
    }
    const std::size_t begin = from + start.size();
    const std::size_t end = lower(page).find("</script", begin);
    if (end == std::string::npos) {
        ADD_FAILURE() << "the audit data element is not closed";
        return {};
    }
    return page.substr(begin, end - begin);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(Base64, EncodesTheKnownVectors) {
    struct Case {
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        // RFC 4648, section 10
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        // bytes that are not text, and the two last letters of the alphabet
        {std::string(1, '\0'), "AA=="},
        {std::string(3, '\0'), "AAAA"},
        {"\xff", "/w=="},
        {"\xff\xff\xff", "////"},
        {std::string("\x00\xff", 2), "AP8="},
        {"\xfb\xff", "+/8="},
        {std::string("\x89PNG\r\n\x1a\n", 8), "iVBORw0KGgo="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(base64(c.bytes), c.text) << "bytes of size " << c.bytes.size();
    }
}

TEST(AuditPage, RefersToNothingOutsideItself) {
    const std::string page = lower(auditPage("Audit", sampleJson, tinyMap()));
    const char* forbidden[] = {
        "http://", "https://",       "src=\"//",  "src='//", "<link",        "@import",
        "fetch(",  "xmlhttprequest", "websocket", "eval(",   "new function", "<iframe",
    };
    for (const char* text : forbidden) {
        EXPECT_EQ(page.find(text), std::string::npos) << text;
    }
    std::size_t sources = 0;
    for (std::size_t at = page.find("src="); at != std::string::npos;
         at = page.find("src=", at + 1)) {
        ++sources;
        EXPECT_EQ(page.substr(at, 10), "src=\"data:") << page.substr(at, 40);
    }
    EXPECT_EQ(sources, 1U); // the map picture
    for (std::size_t at = page.find("url("); at != std::string::npos;
         at = page.find("url(", at + 1)) {
        EXPECT_EQ(page.substr(at, 9), "url(data:") << page.substr(at, 40);
    }
}

TEST(AuditPage, EmbedsThePictureAsAPngDataUri) {
    const AuditPageMap map = tinyMap();
    const std::string page = auditPage("Audit", sampleJson, map);
    EXPECT_NE(page.find("src=\"data:image/png;base64," + base64(map.png) + "\""),
              std::string::npos);
}

TEST(AuditPage, WithoutAPictureShowsNoMapButKeepsTheData) {
    const std::string page = auditPage("Audit", sampleJson, AuditPageMap{});
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_EQ(embeddedData(page), sampleJson);
}

TEST(AuditPage, DataCannotEndOrCommentOutItsScriptElement) {
    const char* texts[] = {
        "</script>", "</SCRIPT >",    "</script><script>alert(1)</script>",
        "<!--",      "<!-- <script>", "a < b > c",
    };
    for (const char* text : texts) {
        const std::string json = R"({"findings": [{"check": "parents", "objectName": ")" +
                                 std::string(text) +
                                 R"(", "detail": "Quillon \u00c4 \\ \"quoted\""}]})";
        const std::string embedded = embeddedData(auditPage("Audit", json, tinyMap()));
        EXPECT_EQ(embedded.find('<'), std::string::npos) << text;
        // Still the same JSON: "<" as \u003c inside the string, everything else as written.
        EXPECT_EQ(embedded, replaceAll(json, "<", "\\u003c")) << text;
    }
}

TEST(AuditPage, EscapesTheTitle) {
    struct Case {
        const char* title;
        const char* escaped;
    };
    const Case cases[] = {
        {"Quillon audit", "Quillon audit"},
        {"Roads & Rivers", "Roads &amp; Rivers"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\"quoted\"", "&quot;quoted&quot;"},
        {"Theater's audit", "Theater&#39;s audit"},
        {"&amp;", "&amp;amp;"},
    };
    for (const Case& c : cases) {
        const std::string page = auditPage(c.title, sampleJson, tinyMap());
        const std::string escaped = c.escaped;
        EXPECT_NE(page.find("<title>" + escaped + "</title>"), std::string::npos) << c.title;
        EXPECT_NE(page.find(">" + escaped + "</h1>"), std::string::npos) << c.title;
    }
}

TEST(AuditPage, TellsTheScriptWhereThePostsLie) {
    AuditPageMap map = tinyMap();
    map.originX = -0.5;
    map.originY = 1024.25;
    map.pixelsPerPost = 0.1;
    const std::string page = auditPage("Audit", sampleJson, map);
    for (const char* attribute :
         {"data-width=\"4096\"", "data-height=\"2048\"", "data-origin-x=\"-0.5\"",
          "data-origin-y=\"1024.25\"", "data-pixels-per-post=\"0.1\""}) {
        EXPECT_NE(page.find(attribute), std::string::npos) << attribute;
    }
}

} // namespace
} // namespace vantor::report
