// Captures of the test's own windows (PrintWindow renders those under Wine too), the PNG made of
// them as WIC reads it back, and files that are replaced whole or not at all.
#include "cli/Capture.h"
#include "cli/PngFile.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "framework/Handles.h"
#include "support/WindowTestSupport.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// Each channel differs, so that swapped red and blue or a lost channel shows.
constexpr COLORREF kColours[] = {RGB(200, 30, 60), RGB(20, 180, 90), RGB(40, 70, 220), RGB(230, 210, 10)};
constexpr COLORREF kBlankColours[] = {RGB(90, 90, 90), RGB(90, 90, 90), RGB(90, 90, 90), RGB(90, 90, 90)};
// A COLORREF as the pixel of a 32-bit BGRA picture.
constexpr std::uint32_t Bgra(COLORREF c) { return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }
constexpr std::uint32_t kQuadrants[] = {Bgra(kColours[0]), Bgra(kColours[1]), Bgra(kColours[2]), Bgra(kColours[3])};
constexpr std::uint32_t kBlank = Bgra(kBlankColours[0]);

// A top-level window whose client area shows four solid quadrants, or one colour, the same on
// screen and through WM_PRINTCLIENT.
class PaintedWindow {
public:
    explicit PaintedWindow(int x, bool blank = false) : m_blank(blank) {
        WNDCLASSW windowClass{0, &Proc, 0, 0, ::GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"CaptureTest"};
        ::RegisterClassW(&windowClass);
        m_window = ::CreateWindowExW(0, L"CaptureTest", L"capture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 40, 240, 180,
                                     nullptr, nullptr, windowClass.hInstance, this);
        ::UpdateWindow(m_window);
        testsupport::PumpMessages(50);
    }
    ~PaintedWindow() { ::DestroyWindow(m_window); }
    HWND get() const { return m_window; }
    bool closeWhenPrinted = false;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<PaintedWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        PAINTSTRUCT paint;
        switch (message) {
            case WM_PAINT: self->Paint(window, ::BeginPaint(window, &paint)); ::EndPaint(window, &paint); return 0;
            case WM_PRINTCLIENT:
                if (self->closeWhenPrinted) ::DestroyWindow(window);
                if (!self->closeWhenPrinted) self->Paint(window, reinterpret_cast<HDC>(wParam));
                return 0;
            case WM_ERASEBKGND: return 1;  // Paint covers the whole client area
            default: return ::DefWindowProcW(window, message, wParam, lParam);
        }
    }
    void Paint(HWND window, HDC dc) const { testsupport::FillQuadrants(window, dc, m_blank ? kBlankColours : kColours); }
    bool m_blank;
    HWND m_window = nullptr;
};

// Every pixel of a capture of the client area is the colour of its quadrant, split as Paint splits.
void ExpectQuadrants(const CaptureResult& r) {
    const int w = r.picture.width, h = r.picture.height;
    ASSERT_EQ(r.picture.pixels.size(), static_cast<size_t>(w * h));
    int wrong = 0;
    for (int i = 0; i < w * h; ++i) {
        wrong += r.picture.pixels[static_cast<size_t>(i)] != kQuadrants[(i % w >= w / 2) + 2 * (i / w >= h / 2)];
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Capture, PrintTakesEachArea) {
    const PaintedWindow window(40);
    RECT outer{}, client{}, inside{};
    ::GetWindowRect(window.get(), &outer);
    ::GetClientRect(window.get(), &client);
    ::MapWindowPoints(window.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (const CaptureArea area : {CaptureArea::Client, CaptureArea::Window, CaptureArea::Frame}) {
        SCOPED_TRACE(static_cast<int>(area));
        const CaptureResult r = CaptureWindow(window.get(), area, CaptureMethod::Print);
        ASSERT_EQ(std::pair(r.status, r.method), std::pair(CaptureStatus::Ok, CaptureMethod::Print)) << r.reason;
        EXPECT_EQ(std::pair(r.picture.width, r.picture.height),
                  std::pair(static_cast<int>(r.rect.right - r.rect.left), static_cast<int>(r.rect.bottom - r.rect.top)));
        // The frame lies between the client area and the window rectangle.
        EXPECT_TRUE(::IntersectRect(&inside, &r.rect, &client) && ::EqualRect(&inside, &client));
        EXPECT_TRUE(::IntersectRect(&inside, &r.rect, &outer) && ::EqualRect(&inside, &r.rect));
        EXPECT_TRUE(area != CaptureArea::Window || ::EqualRect(&r.rect, &outer));
        if (area == CaptureArea::Client) ExpectQuadrants(r);
    }
}

TEST(Capture, AutoTakesTheScreenUnlessCoveredAndFallsBackWhenPrintGivesNothing) {
    struct Row { const char* name; int x; bool blank, covered; CaptureMethod method, ran; bool fellBack; };
    const Row rows[] = {
        {"alone", 40, false, false, CaptureMethod::Auto, CaptureMethod::Screen, false},
        {"covered", 40, false, true, CaptureMethod::Auto, CaptureMethod::Print, false},
        {"covered, blank", 40, true, true, CaptureMethod::Auto, CaptureMethod::Screen, true},
        {"off the screen", -60, false, false, CaptureMethod::Auto, CaptureMethod::Print, false},
        {"covered, screen asked", 40, false, true, CaptureMethod::Screen, CaptureMethod::Screen, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // One below the window, two above it: only the first of those overlaps it (its right part).
        const PaintedWindow under(200, true), window(row.x, row.blank);
        std::optional<PaintedWindow> cover, apart;
        if (row.covered) cover.emplace(200, true), apart.emplace(600, true);
        const CaptureResult r = CaptureWindow(window.get(), CaptureArea::Client, row.method);
        ASSERT_EQ(r.status, CaptureStatus::Ok) << r.reason;
        EXPECT_EQ(std::pair(r.method, r.fellBack), std::pair(row.ran, row.fellBack));
        EXPECT_EQ(r.coveredBy, cover ? std::vector<HWND>{cover->get()} : std::vector<HWND>{});
        // Where the screen was read under the cover, its right part shows the cover.
        if (r.method == CaptureMethod::Print || !row.covered) ExpectQuadrants(r);
        else EXPECT_EQ(std::pair(r.picture.pixels.front(), r.picture.pixels.back()), std::pair(row.blank ? kBlank : kQuadrants[0], kBlank));
    }
}

TEST(Capture, RefusesWhatItCannotTake) {
    struct Row { const char* name; void (*prepare)(PaintedWindow&); CaptureMethod method; CaptureStatus status; };
    const Row rows[] = {
        {"minimized", [](PaintedWindow& w) { ::ShowWindow(w.get(), SW_MINIMIZE); }, CaptureMethod::Auto, CaptureStatus::Minimized},
        {"blank", nullptr, CaptureMethod::Print, CaptureStatus::PrintedNothing},
        {"no client area", [](PaintedWindow& w) { ::SetWindowPos(w.get(), nullptr, 0, 0, 0, 0, SWP_NOMOVE); },
         CaptureMethod::Print, CaptureStatus::EmptyArea},
        {"closes while printed", [](PaintedWindow& w) { w.closeWhenPrinted = true; }, CaptureMethod::Print, CaptureStatus::Closed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PaintedWindow window(40, row.prepare == nullptr);
        if (row.prepare != nullptr) row.prepare(window);
        const CaptureResult r = CaptureWindow(window.get(), CaptureArea::Client, row.method);
        EXPECT_EQ(r.status, row.status);
        EXPECT_TRUE(r.picture.pixels.empty() && !r.reason.empty()) << r.reason;
    }
}

// The pixels WIC decodes from a PNG file of the picture's size, as 32-bpp BGRA.
std::vector<std::uint32_t> Decode(const std::wstring& path, const Picture& like) {
    const fw::ComScope com;
    fw::ComRef<IWICImagingFactory> factory;
    fw::ComRef<IWICBitmapDecoder> decoder;
    fw::ComRef<IWICBitmapFrameDecode> frame;
    // A frame of another size fails to fit the buffer or fills it with misplaced rows.
    const UINT stride = static_cast<UINT>(like.width) * 4;
    std::vector<std::uint32_t> pixels(like.pixels.size());
    const bool decoded =
        SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put()))) &&
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                     decoder.put())) &&
        SUCCEEDED(decoder->GetFrame(0, frame.put())) &&
        SUCCEEDED(frame->CopyPixels(nullptr, stride, stride * static_cast<UINT>(like.height), reinterpret_cast<BYTE*>(pixels.data())));
    return decoded ? pixels : std::vector<std::uint32_t>{};
}

TEST(PngFile, WritesWhatWicReadsBackWholeOrNotAtAll) {
    const PaintedWindow window(40);
    const CaptureResult r = CaptureWindow(window.get(), CaptureArea::Client, CaptureMethod::Print);
    std::string error;
    const auto png = EncodePng(r.picture, error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(std::vector(png->begin(), png->begin() + 8), (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));

    const fs::path folder = fs::temp_directory_path() / ("velmora-capture-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directory(folder);
    const std::vector<std::uint8_t> old{'o', 'l', 'd'};
    for (const wchar_t* name : {L"kept.png", L"locked.png"}) ASSERT_TRUE(WriteFileAtomically(folder / name, old, error)) << error;
    ::SetFileAttributesW((folder / L"locked.png").c_str(), FILE_ATTRIBUTE_READONLY);
    fs::create_directory(folder / L"folder.png");
    const auto listing = [&folder] { return std::vector<fs::path>(fs::directory_iterator(folder), fs::directory_iterator()); };
    const std::vector<fs::path> before = listing();
    struct Row { const wchar_t* name; bool written; std::vector<std::uint8_t> after; };
    for (const Row& row : {Row{L"kept.png", true, *png}, Row{L"missing\\x.png", false, {}}, Row{L"locked.png", false, old},
                          Row{L"folder.png", false, {}}}) {
        const fs::path path = folder / row.name;
        SCOPED_TRACE(path.string());
        error.clear();
        EXPECT_EQ(WriteFileAtomically(path, *png, error), row.written);
        EXPECT_EQ(error.rfind("cannot write " + path.string() + ": ", 0) == 0, !row.written) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        std::ifstream file(path, std::ios::binary);
        EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {}), row.after);
        EXPECT_EQ(listing(), before);
    }
    EXPECT_EQ(Decode(folder / L"kept.png", r.picture), r.picture.pixels);
    ::SetFileAttributesW((folder / L"locked.png").c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder);
}

TEST(PngFile, AWriteRemovesTheTemporaryFilesThatEndedWritersOfItsPathLeft) {
    // A process that has ended, held open so that its id goes to no other.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION ended{};
    ASSERT_TRUE(::CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &ended));
    const fw::UniqueKernelObject process(ended.hProcess), thread(ended.hThread);
    ::TerminateProcess(process.get(), 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);

    const fs::path folder = fs::temp_directory_path() / ("velmora-leftovers-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directory(folder);
    const std::wstring dead = std::to_wstring(ended.dwProcessId), alive = std::to_wstring(::GetCurrentProcessId());
    const std::pair<std::wstring, bool> kLeftovers[] = {  // name, kept
        {L"shot.png.tmp-" + dead + L"-1", false}, {L"SHOT.PNG.tmp-" + dead + L"-2", false},
        {L"shot.png.tmp-" + alive + L"-3", true},  // its writer may still move it
        {L"other.png.tmp-" + dead + L"-4", true}, {L"shot.png.tmp-" + dead, true}, {L"shot.png.tmp-" + dead + L"-5x", true}};
    std::vector<fs::path> expected{folder / L"shot.png"};
    for (const auto& [name, kept] : kLeftovers) {
        std::ofstream(folder / name) << "png";
        if (kept) expected.push_back(folder / name);
    }
    std::string error;
    EXPECT_TRUE(WriteFileAtomically(folder / L"shot.png", {'p', 'n', 'g'}, error)) << error;
    std::vector<fs::path> left{fs::directory_iterator(folder), fs::directory_iterator()};
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace cli
