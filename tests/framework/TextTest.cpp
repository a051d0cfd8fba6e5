// Text helpers and handle owners.
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "framework/Text.h"
#include "probe_resource.h"

namespace {

TEST(Format, WideStringsIntegersAndHexAsMsvcAndMinGwAgree) {
    EXPECT_EQ(fw::Format(L"%ls=%d", L"日本", -5), L"日本=-5");
    EXPECT_EQ(fw::Format(L"0x%08x", static_cast<unsigned>(-1)), L"0xffffffff");
    EXPECT_EQ(fw::Format(L"0x%08x", 0x1Au), L"0x0000001a");
    EXPECT_EQ(fw::Format(L"Velmora %ls %ls", L"Ver.:1", L""), L"Velmora Ver.:1 ");
}

TEST(Format, LongResultsAreNotCut) {
    const std::wstring longText(5000, L'x');
    EXPECT_EQ(fw::Format(L"[%ls]", longText.c_str()), L"[" + longText + L"]");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(fw::ReplaceAll(L"1, 0, 1, 102", L",", L"-"), L"1- 0- 1- 102");
    EXPECT_EQ(fw::ReplaceAll(L"a;;b", L";", L"."), L"a..b");
    EXPECT_EQ(fw::ReplaceAll(L"a,b", L",", L",,"), L"a,,b") << "a replacement holding the text is not replaced again";
    EXPECT_EQ(fw::ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(fw::ReplaceAll(L"", L",", L"-"), L"");
}

TEST(LoadResString, ReadsTheStringTableAndGivesEmptyForMissingIds) {
    EXPECT_EQ(fw::LoadResString(IDS_PROBE_TEXT), L"バージョン情報 (&A)...");
    EXPECT_EQ(fw::LoadResString(4321), L"");
}

TEST(UniqueHandle, DeletesItsObjectOnResetAndDestructionButNotAfterRelease) {
    HBRUSH first = ::CreateSolidBrush(RGB(1, 1, 1));
    HBRUSH second = ::CreateSolidBrush(RGB(2, 2, 2));
    HBRUSH third = ::CreateSolidBrush(RGB(3, 3, 3));
    {
        fw::UniqueBrush owner(first);
        fw::UniqueBrush moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(moved.get(), first);
        moved.reset(second);
        EXPECT_EQ(::GetObjectType(first), 0u) << "the old brush is deleted on reset";
        fw::UniqueBrush kept(third);
        EXPECT_EQ(kept.release(), third);
    }
    EXPECT_EQ(::GetObjectType(second), 0u) << "deleted with its owner";
    EXPECT_EQ(::GetObjectType(third), static_cast<DWORD>(OBJ_BRUSH)) << "released, so still alive";
    ::DeleteObject(third);
}

TEST(CBrush, IsASolidBrushOfItsColour) {
    CBrush brush(RGB(200, 200, 200));
    LOGBRUSH info{};
    ASSERT_EQ(::GetObjectW(brush.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(info.lbColor, 0xC8C8C8u);
}

}  // namespace
