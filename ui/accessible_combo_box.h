// SPDX-License-Identifier: MIT
// Drop-down lists that assistive technologies read by what they choose, not by the item shown.
#pragma once

namespace corvane {

// From the call on, every QComboBox created with an accessible name reports that name as its
// name and the item shown as its value; Qt on Linux reports the item as both. Lists without an
// accessible name keep Qt's own interface. Calling it again changes nothing.
void InstallAccessibleComboBoxes();

}  // namespace corvane
