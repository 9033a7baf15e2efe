#include "report/embed_sample.txt.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

// The sample holds what would end a C++ string or raw string early, backslashes and characters
// past ASCII, and ends with a line end; its length is no multiple of a line's sixteen bytes.
TEST(Embed, KeepsEveryByteOfTheFile) {
    std::ifstream in(VANTOR_EMBED_SAMPLE, std::ios::binary);
    ASSERT_TRUE(in) << VANTOR_EMBED_SAMPLE;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_NE(bytes.size() % 16, 0U);
    EXPECT_EQ(vantor::embedded::embedSampleTxt, bytes);
    EXPECT_EQ(vantor::embedded::embedSampleTxt.back(), '\n');
}

} // namespace
