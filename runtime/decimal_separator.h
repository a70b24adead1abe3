#pragma once
// The process-wide decimal separator. Every conversion between text and
// number and every display mask of the program uses this one value; it starts
// as the system locale's separator and the main window may change it while it
// runs.

namespace runtime {

char16_t DecimalSeparator();
void SetDecimalSeparator(char16_t separator);

// The separator of the system locale (what DecimalSeparator() starts with).
char16_t SystemDecimalSeparator();

} // namespace runtime
