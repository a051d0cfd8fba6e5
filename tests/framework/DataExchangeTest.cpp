// Data exchange in both directions, on a real dialog.
#include <gtest/gtest.h>

#include "ProbeDialog.h"
#include "support/WindowTestSupport.h"

namespace {

class DataExchangeTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dialog.Create(nullptr)); }
    void SetText(int id, const wchar_t* text) { ::SetDlgItemTextW(m_dialog.m_hWnd, id, text); }
    std::wstring Text(int id) { return testsupport::TextOf(m_dialog.GetDlgItem(id)); }
    LRESULT Checked(int id) { return ::SendMessageW(m_dialog.GetDlgItem(id), BM_GETCHECK, 0, 0); }
    void Check(int id, WPARAM state) { ::SendMessageW(m_dialog.GetDlgItem(id), BM_SETCHECK, state, 0); }

    ProbeDialog m_dialog;
};

TEST_F(DataExchangeTest, InitialisationWritesEveryMemberToItsControl) {
    EXPECT_EQ(Text(IDC_PROBE_NAME), L"initial");
    EXPECT_EQ(Text(IDC_PROBE_FIRST), L"1");
    EXPECT_EQ(Text(IDC_PROBE_SECOND), L"2");
    EXPECT_EQ(Checked(IDC_PROBE_CHECK), BST_UNCHECKED);
    EXPECT_EQ(Checked(IDC_PROBE_RADIO_A), BST_CHECKED);
}

TEST_F(DataExchangeTest, WritingAndReadingRoundTrip) {
    m_dialog.m_strName = L"日本語 text";
    m_dialog.m_nFirst = -2147483647 - 1;
    m_dialog.m_nSecond = 2147483647;
    m_dialog.m_bCheck = 1;
    m_dialog.m_nRadio = 2;
    ASSERT_TRUE(m_dialog.UpdateData(FALSE));
    EXPECT_EQ(Text(IDC_PROBE_FIRST), L"-2147483648");
    EXPECT_EQ(Checked(IDC_PROBE_RADIO_C), BST_CHECKED);
    EXPECT_EQ(Checked(IDC_PROBE_RADIO_A), BST_UNCHECKED);

    m_dialog.m_strName.clear();
    m_dialog.m_nFirst = m_dialog.m_nSecond = m_dialog.m_bCheck = m_dialog.m_nRadio = 0;
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_EQ(m_dialog.m_strName, L"日本語 text");
    EXPECT_EQ(m_dialog.m_nFirst, -2147483647 - 1);
    EXPECT_EQ(m_dialog.m_nSecond, 2147483647);
    EXPECT_EQ(m_dialog.m_bCheck, 1);
    EXPECT_EQ(m_dialog.m_nRadio, 2);
}

TEST_F(DataExchangeTest, RadioGroupWithNothingCheckedReadsMinusOne) {
    Check(IDC_PROBE_RADIO_A, BST_UNCHECKED);
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_EQ(m_dialog.m_nRadio, -1);
    Check(IDC_PROBE_RADIO_B, BST_CHECKED);
    ASSERT_TRUE(m_dialog.UpdateData(TRUE));
    EXPECT_EQ(m_dialog.m_nRadio, 1);
}

TEST_F(DataExchangeTest, IntegerEntriesThatAreAccepted) {
    const std::pair<const wchar_t*, int> cases[] = {
        {L"42", 42}, {L" -7 ", -7}, {L"+3", 3}, {L"0", 0}, {L"-0", 0}, {L"2147483647", 2147483647},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "entry " << std::wstring(text).size());
        SetText(IDC_PROBE_FIRST, text);
        ASSERT_TRUE(m_dialog.UpdateData(TRUE));
        EXPECT_EQ(m_dialog.m_nFirst, expected);
    }
}

// A refused entry: the framework's box, the focus in that edit, and the later members untouched.
TEST_F(DataExchangeTest, EntriesThatAreNoIntegerOrOutOfRangeStopTheExchange) {
    const wchar_t* refused[] = {L"abc", L"12x", L"", L"1 2", L"-", L"2147483648", L"-2147483649",
                                L"99999999999999999999"};
    for (const wchar_t* text : refused) {
        SCOPED_TRACE(testing::Message() << "entry length " << std::wstring(text).size());
        m_dialog.m_nFirst = 5;
        m_dialog.m_nSecond = 6;
        m_dialog.m_bCheck = 0;
        m_dialog.m_strName = L"before";
        SetText(IDC_PROBE_NAME, L"after");
        SetText(IDC_PROBE_FIRST, text);
        SetText(IDC_PROBE_SECOND, L"77");
        Check(IDC_PROBE_CHECK, BST_CHECKED);

        testsupport::MessageBoxAnswerer answerer;
        EXPECT_FALSE(m_dialog.UpdateData(TRUE));
        EXPECT_EQ(m_dialog.m_strName, L"after") << "members before the refused one are read";
        EXPECT_EQ(m_dialog.m_nFirst, 5);
        EXPECT_EQ(m_dialog.m_nSecond, 6) << "members after the refused one keep their values";
        EXPECT_EQ(m_dialog.m_bCheck, 0);
        EXPECT_EQ(::GetFocus(), m_dialog.GetDlgItem(IDC_PROBE_FIRST));
        const auto answers = answerer.Answers();
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_FALSE(answers[0].text.empty());
        EXPECT_EQ(answers[0].caption, L"framework_tests") << "the application's name";
        EXPECT_TRUE(answers[0].hasWarningIcon);
    }
}

TEST(ParseInt, OutOfRangeIsToldApartFromNoInteger) {
    int value = 9;
    EXPECT_EQ(fw::ParseInt(L"2147483648", value), fw::ParseResult::OutOfRange);
    EXPECT_EQ(fw::ParseInt(L"-99999999999999999999", value), fw::ParseResult::OutOfRange);
    EXPECT_EQ(fw::ParseInt(L"99999999999999999999x", value), fw::ParseResult::NotAnInteger);
    EXPECT_EQ(fw::ParseInt(L"0x10", value), fw::ParseResult::NotAnInteger);
    EXPECT_EQ(value, 9);
}

}  // namespace
