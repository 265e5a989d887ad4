// Inputs that once made a fuzz target fail, read from fuzz/regressions/ in the source tree.
#include "sprites/DIB.h"
#include "sprites/PictureCollection.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Kept(const std::string& name)
{
    std::ifstream file(std::string(GRIP_SOURCE_DIR) + "fuzz/regressions/" + name, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << name;
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

// A zero-width top-down record once had its rows copied through a null pointer. The item holding
// it is read as an empty picture; a broken property after it ends the load with its message.
TEST(FuzzRegression, ZeroWidthTopDownRecordInACollectionIsAnEmptyPicture)
{
    const auto bytes = Kept("PictureCollection/zero-width-top-down");
    ASSERT_FALSE(bytes.empty());
    TPictureCollection collection;
    std::string error;
    try {
        collection.LoadFromBytes(bytes);
    } catch (const EPictureCollectionError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Error reading TPictureCollectionItem.ctionComponent: Property ctionComponent does not exist");
    ASSERT_GE(collection.Count(), 1);
    bool sawEmpty = false;
    for (int i = 0; i < collection.Count(); ++i) {
        const TItemPicture& picture = collection.Items(i)->Picture();
        if (picture.Empty()) {
            sawEmpty = true;
            EXPECT_TRUE(picture.ToImage().isNull());
        }
    }
    EXPECT_TRUE(sawEmpty);
}
