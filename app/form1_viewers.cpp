// Wiring of the full-screen views and the continuous show.
#include "app/main_window.h"

namespace sorvenal {

void Form1::OpenFullScreenView() {
    // opens the fit view or the actual-size view, as Check1 chooses
}

void Form1::Label8_Click() {
    // starts the continuous show
}

void Form1::Label9_Click() {
    // stops the continuous show
}

}  // namespace sorvenal
