#pragma once
// The firmware programmer window for the brenna executable: what runs after
// the control window closes with "Смена прошивки".

// Shows the programmer window until it is closed; returns its dialog result.
int RunProgrammerDialog();
