// What the program driver reads of a program's accessibility tree, and the
// xdotool runs that stand in for the user's pointer and keyboard.
#pragma once

#include "program_driver.h"

#include <atspi/atspi.h>

#include <functional>
#include <string>
#include <vector>

// The text, freed.
std::string take(gchar *text);
// Runs xdotool with these arguments (commands may be chained) and returns
// what it printed.
std::string xdotool(std::vector<std::string> arguments);

std::string role_of(AtspiAccessible *object);
std::string name_of(AtspiAccessible *object);
bool has_state(AtspiAccessible *object, AtspiStateType state);
// Where it is on screen.
AtspiRect box_of(AtspiAccessible *object);
// A combo box is named by its label; what it shows is its selected item.
std::string chosen_item(AtspiAccessible *combo);

// The first child that matches or, when deep, the first below root.
Accessible find(AtspiAccessible *root, const std::function<bool(AtspiAccessible *)> &match,
                bool deep = true);
// The first on screen of that role (and that name, unless none is given).
Accessible showing(AtspiAccessible *root, const std::string &role, const std::string &name = "",
                   bool deep = true);
