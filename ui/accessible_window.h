// The main window as a screen reader sees it: the controls that are shown, not the hidden ones
// (the stop button's "Quitter" beside the quit button's, the progress bar between runs), which Qt
// would list too.
#pragma once

namespace brelin {

// Makes every MainWindow's accessible tree hold its shown controls alone. Once is enough; any
// later call does nothing.
void showShownChildrenOnly();

}  // namespace brelin
