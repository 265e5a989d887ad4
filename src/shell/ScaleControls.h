#pragma once

class TScreenForm;

// The scale in the game picture's menu ("Larger", "Smaller", "Full screen") and on the keys:
// Ctrl+plus and Ctrl+minus, F11 for the full screen and F11 or Esc back.
void AddScaleControls(TScreenForm& screen);
