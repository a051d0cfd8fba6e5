// The version reader: what it reads, what it makes of it, and when it reads again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "AboutTestSupport.h"
#include "VersionBlocks.h"
#include "app/VersionText.h"

namespace {

using abouttest::VersionFileSeam;
using app::testing::VersionTextReadyFlag;

std::wstring OwnPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(ProductVersionText, ReadsTheRunningExecutableOnceARun) {
    VersionFileSeam file;  // the real file, counted
    const wchar_t* text = GetProductVersionText();
    EXPECT_STREQ(text, L"Ver.:1.0.1.102");
    EXPECT_EQ(VersionTextReadyFlag(), 1);
    EXPECT_EQ(file.Files(), std::vector<std::wstring>{OwnPath()});
    EXPECT_EQ(file.ReadCalls(), 1);

    EXPECT_EQ(GetProductVersionText(), text) << "the same cached text";
    EXPECT_STREQ(GetProductVersionText(), L"Ver.:1.0.1.102");
    EXPECT_EQ(file.SizeCalls(), 1) << "the file is not read again";
    EXPECT_EQ(file.ReadCalls(), 1);
}

// The block the program ships with (this test links the program's resource script).
TEST(ProductVersionText, TheProgramsVersionResourceNamesVelmora1_0_1_102InJapanese) {
    const std::wstring path = OwnPath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00010066u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00010066u);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 2 * sizeof(WORD)) << "exactly one translation";
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 932);

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"CompanyName", L"Brisklane"},        {L"FileDescription", L"Velmora"},
        {L"FileVersion", L"1.0.1.102"},        {L"InternalName", L"Quillet.exe"},
        {L"OriginalFilename", L"Quillet.exe"}, {L"ProductName", L"Velmora"},
        {L"ProductVersion", L"1.0.1.102"},
    };
    for (const auto& [name, expected] : strings) {
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041103a4\\") + name;
        value = nullptr;
        ASSERT_TRUE(::VerQueryValueW(block.data(), query.c_str(), &value, &length))
            << "no value " << name;
        EXPECT_STREQ(static_cast<const wchar_t*>(value), expected);
    }
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041103a4\\LegalCopyright", &value, &length));
    EXPECT_GT(std::wcslen(static_cast<const wchar_t*>(value)), 0u) << "a legal notice";
}

TEST(ProductVersionText, OnlyTheFirstTranslationCounts) {
    VersionFileSeam file;
    file.ServeBlock(IDV_TWO_TRANSLATIONS);  // 0409/1200 first, then 0411/932
    EXPECT_STREQ(GetProductVersionText(), L"Ver.:7.7.7.7");
}

TEST(ProductVersionText, UnreadableInformationLeavesTheTextEmptyAndTheNextCallReadsAgain) {
    struct Case {
        const char* what;
        void (*arrange)(VersionFileSeam&);
    };
    const Case cases[] = {
        {"no version resource", [](VersionFileSeam& f) { f.ServeNothing(); }},
        {"the information cannot be read", [](VersionFileSeam& f) { f.FailRead(); }},
        {"no translation table", [](VersionFileSeam& f) { f.ServeBlock(IDV_NO_TRANSLATION); }},
        {"a translation table without one whole entry",
         [](VersionFileSeam& f) { f.ServeBlock(IDV_SHORT_TRANSLATION); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VersionFileSeam file;
        c.arrange(file);
        EXPECT_STREQ(GetProductVersionText(), L"");
        EXPECT_EQ(VersionTextReadyFlag(), 0);

        file.ServeBlock(0);
        EXPECT_STREQ(GetProductVersionText(), L"Ver.:1.0.1.102");
        EXPECT_EQ(file.SizeCalls(), 2) << "the failed read is retried";
        EXPECT_EQ(VersionTextReadyFlag(), 1);
    }
}

TEST(ProductVersionText, AMissingValueUnderTheFirstTranslationGivesAnEmptyTextForTheRun) {
    VersionFileSeam file;
    file.ServeBlock(IDV_NO_PRODUCT_VERSION);
    EXPECT_STREQ(GetProductVersionText(), L"");
    EXPECT_EQ(VersionTextReadyFlag(), 1);

    file.ServeBlock(0);
    EXPECT_STREQ(GetProductVersionText(), L"");
    EXPECT_EQ(file.SizeCalls(), 1) << "kept for the run, not read again";
}

TEST(ProductVersionText, AValueLongerThanTheBufferIsCutAndTerminated) {
    std::wstring digits;
    for (int i = 0; i < LONG_VERSION_LENGTH; ++i) digits += static_cast<wchar_t>(L'0' + i % 10);
    // 255 characters and the terminator fill the 256-character buffer exactly: a text one longer
    // is cut by one, a text that just fits is kept whole.
    for (const int block : {IDV_LONG_VERSION, IDV_ONE_OVER_VERSION, IDV_FITTING_VERSION}) {
        SCOPED_TRACE(block);
        VersionFileSeam file;
        file.ServeBlock(block);
        const wchar_t* text = GetProductVersionText();
        ASSERT_EQ(std::wcslen(text), 255u);
        EXPECT_EQ(std::wstring(text), L"Ver.:" + digits.substr(0, 250));
        EXPECT_EQ(VersionTextReadyFlag(), 1);
    }
}

}  // namespace
