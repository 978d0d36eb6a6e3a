// The page's side is Module.orvikPage, an object the page may give the module:
// frame(count) after each presented frame, and messageBox(caption, text, type),
// which returns a promise settled when the box is dismissed. Without them the
// module still runs: frames are paced by the browser alone and boxes go only
// to the console.
#include "platform/win32/web/WebPage.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, AwaitAnimationFrame, (), {
    var page = Module["orvikPage"];
    if (page && page.frame) page.frame();
    await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});

EM_ASYNC_JS(void, AwaitMessageBox, (const char* caption, const char* text, unsigned type), {
    var page = Module["orvikPage"];
    if (!page || !page.messageBox) return;
    await page.messageBox(UTF8ToString(caption), UTF8ToString(text), type);
});

}  // namespace

void WebAwaitNextFrame() { AwaitAnimationFrame(); }

void WebShowMessageBox(const char* caption, const char* text, unsigned type) { AwaitMessageBox(caption, text, type); }
