// The library's units start in a fixed order and end in the reverse one: the
// Windows-version flags must stand before any component is made, and the
// "TaskbarCreated" number before any tray icon exists.
#include "components/kelLibrary.h"

#include "components/HelpRouter.h"
#include "components/HtmlHelpLoader.h"
#include "components/kelComponents.h"
#include "components/kelGraphics.h"
#include "components/kelSysUtils.h"

namespace {

int gStartCount = 0;

}  // namespace

void kelInitialize() {
    if (gStartCount++ > 0) return;
    // kelConsts and kelVclConsts have nothing to start: their texts are read when
    // needed. Nor has kelClasses: the locks of its monitor threads are made on
    // first use and never deleted, since a monitor let go of may still be ending
    // when the library ends.
    kelSysUtilsInitialize();
    kelGraphicsInitialize();
    kelComponentsInitialize();
    // The help units stand beside the library and start after it.
    HtmlHelpLoaderInitialize();
    HelpRouterInitialize();
}

void kelFinalize() {
    if (gStartCount == 0 || --gStartCount > 0) return;
    HelpRouterFinalize();
    HtmlHelpLoaderFinalize();
    kelComponentsFinalize();
    kelGraphicsFinalize();
    kelSysUtilsFinalize();
}
