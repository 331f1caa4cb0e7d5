// The Windows backend's translations: the chooser's filter and folder, and icons from PNG files.
#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "framework/file_filter.h"
#include "framework/win32/file_chooser.h"
#include "framework/win32/icon_image.h"
#include "res/icon_images.h"
#include "test_support.h"

namespace pomuru::test {
namespace {

using namespace std::string_literals;

TEST(win32_chooser, filter_is_pairs_of_zero_terminated_texts_ended_by_a_second_zero) {
    struct Row {
        const char* name;
        std::string filter;
        std::wstring expected;
    };
    const Row rows[] = {
        {"the source chooser's",
         "全て(*.*)|*.*|ﾃｷｽﾄ(*.txt)|*.txt|ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|実行ファイル(*.exe)|*.exe||",
         L"全て(*.*)\0*.*\0ﾃｷｽﾄ(*.txt)\0*.txt\0ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)\0*.bmp\0実行ファイル(*.exe)\0*.exe\0\0"s},
        {"several patterns", "画像|*.bmp;*.png||", L"画像\0*.bmp;*.png\0\0"s},
        {"none", "", L""s},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(afx_win32::ChooserFilter(ParseFileFilter(row.filter)), row.expected) << row.name;
    }
}

TEST(win32_chooser, opens_in_the_folder_asked_for_only_where_it_exists) {
    const TempDir dir;
    const std::string folder = dir.Path().string();
    EXPECT_EQ(afx_win32::ChooserInitialFolder(folder), dir.Path().wstring());
    EXPECT_EQ(afx_win32::ChooserInitialFolder(folder + "\\missing"), L"");
    EXPECT_EQ(afx_win32::ChooserInitialFolder(""), L"");
}

TEST(win32_icon, png_images_become_icons_of_every_size_asked_for) {
    const std::vector<std::span<const std::uint8_t>> images{MainframeIcon32(), MainframeIcon16()};
    const afx_backend::IconPtr icon = afx_backend::IconFromPngs(images);
    ASSERT_NE(icon, nullptr);
    for (const int size : {16, 24, 32, 48}) {
        const afx_win32::UniqueIcon handle = icon->Create(size);
        ASSERT_TRUE(handle) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(handle.Get(), &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

TEST(win32_icon, no_icon_from_what_is_not_png) {
    const std::uint8_t notPng[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    const std::vector<std::span<const std::uint8_t>> images{notPng};
    EXPECT_EQ(afx_backend::IconFromPngs(images), nullptr);
}

}  // namespace
}  // namespace pomuru::test
