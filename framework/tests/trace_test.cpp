#include "framework/trace.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/window.h"

namespace {

std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
}
void Record(const char* line) {
    Lines().push_back(line);
}

struct TraceCapture {
    TraceHook previous;
    TraceCapture() : previous(SetTraceHook(&Record)) { Lines().clear(); }
    ~TraceCapture() { SetTraceHook(previous); }
};

class ThrowingWindow : public Window {
private:
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    using Entry = MessageEntry<ThrowingWindow>;
    static constexpr Entry kMessageMap[] = {Entry::Raw(WM_USER + 9, &ThrowingWindow::OnThrow)};
    bool ProcessMessage(WindowMessage& m) override {
        return RouteMessage(*this, kMessageMap, m) || Window::ProcessMessage(m);
    }
};

} // namespace

TEST(Trace, FormatsAPlainLine) {
    TraceCapture capture;
    Trace("Show OSD %d\n", 3);
    Trace("CMonitorWnd OnCustomizer\n");
    // The C99 sizes work (the runtime's own printf lacks some of them).
    Trace("%zu %lld %s\n", sizeof(int), -7LL, "end");
    ASSERT_EQ(3u, Lines().size());
    EXPECT_EQ("Show OSD 3\n", Lines()[0]);
    EXPECT_EQ("CMonitorWnd OnCustomizer\n", Lines()[1]);
    EXPECT_EQ("4 -7 end\n", Lines()[2]);
}

TEST(Trace, CutsALongLineToTheBufferAndKeepsItsEndOfLine) {
    TraceCapture capture;
    std::string longText(5000, 'x');
    Trace("file %s\n", longText.c_str());
    ASSERT_EQ(1u, Lines().size());
    const std::string& line = Lines()[0];
    EXPECT_EQ(static_cast<size_t>(kTraceLineMax - 1), line.size());
    EXPECT_EQ("file xx", line.substr(0, 7));
    EXPECT_EQ('\n', line.back());
    // A line that was not meant to end gets no end of line added.
    Trace("%s", longText.c_str());
    ASSERT_EQ(2u, Lines().size());
    EXPECT_EQ('x', Lines()[1].back());
}

TEST(Trace, AnExceptionInAHandlerStaysInsideTheWindowProcedure) {
    TraceCapture capture;
    ThrowingWindow w;
    ASSERT_NE(nullptr, w.Create(0, nullptr, "throws", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr));
    EXPECT_EQ(LRESULT{0}, SendMessageA(w.Handle(), WM_USER + 9, 0, 0));
    ASSERT_EQ(1u, Lines().size());
    EXPECT_EQ("Window procedure: exception in the handler of message 0x0409\n", Lines()[0]);
    // The window goes on working.
    EXPECT_EQ(LRESULT{6}, SendMessageA(w.Handle(), WM_GETTEXTLENGTH, 0, 0));
}
