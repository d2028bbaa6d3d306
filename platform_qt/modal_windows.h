// Ends every modal window that is open (message boxes, file dialogs, modal
// forms) as if the user had cancelled it, topmost first: for an ending that
// must not wait for the user. Their exec calls return once the event loop
// runs again.
#pragma once

namespace platform_qt {

void RejectModalWindows();

} // namespace platform_qt
