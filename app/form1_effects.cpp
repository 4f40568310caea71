// Wiring of the circle effects and the bitmap save.
#include "app/main_window.h"

namespace sorvenal {

void Form1::mnuCirclelight_Click() {
    // brightens inside the circle
}

void Form1::mnuCirclered_Click() {
    // reddens inside the circle
}

void Form1::mnuEyeblue_Click() {
    // turns the iris blue
}

void Form1::mnuSpotlight_Click() {
    // darkens outside the circle
}

void Form1::mnuCircle_Click() {
    // makes a circular picture
}

void Form1::mnuSaveImage_Click() {
    // saves the working picture as a bitmap
}

}  // namespace sorvenal
