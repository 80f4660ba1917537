#pragma once
// Which device path stands for "COMn". In this order: an override made in this
// run (brenna --port PATH), the environment variable BRENNA_COM<n>, the
// setting "Ports"/"COM<n>", and by default /dev/ttyUSB<n-1>.
#include <string>

std::string ComPortPath(int n);
void SetComPortPathOverride(int n, const std::string& path);

// Parses "COMn" (any case) into n, or 0 when the text is not of that form.
int ParseComPortName(const std::string& text);
