// The page's side is Module.orvikPage, an object the page may give the module:
// frame() after each presented frame (false: stop here for good), messageBox(caption, text, type), which
// returns a promise settled when the box is dismissed, and exited(code). Without them the
// module still runs: frames are paced by the browser alone and boxes go only
// to the console.
#include "platform/win32/web/WebPage.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, AwaitAnimationFrame, (), {
    var page = Module["orvikPage"];
    // A page that has moved on to another playback keeps this one waiting for good.
    if (page && page.frame && page.frame() === false) await new Promise(function() {});
    await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});

EM_ASYNC_JS(void, AwaitMessageBox, (const char* caption, const char* text, unsigned type), {
    var page = Module["orvikPage"];
    if (!page || !page.messageBox) return;
    await page.messageBox(UTF8ToString(caption), UTF8ToString(text), type);
});

EM_JS(void, ReportExit, (int code), {
    var page = Module["orvikPage"];
    if (page && page.exited) page.exited(code);
});

}  // namespace

void WebReportExit(int code) { ReportExit(code); }

void WebAwaitNextFrame() { AwaitAnimationFrame(); }

void WebShowMessageBox(const char* caption, const char* text, unsigned type) { AwaitMessageBox(caption, text, type); }
