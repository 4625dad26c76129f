// Looking things up in the accessibility tree of a program, and xdotool.
#include "accessible_tree.h"

#include <atspi/atspi.h>

#include <vector>

std::string take(gchar *text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::string xdotool(std::vector<std::string> arguments) {
    std::vector<char *> argv{const_cast<char *>("xdotool")};
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    gchar *output = nullptr;
    g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &output,
                 nullptr, nullptr, nullptr);
    return take(output);
}
std::string role_of(AtspiAccessible *object) {
    return take(atspi_accessible_get_role_name(object, nullptr));
}
std::string name_of(AtspiAccessible *object) {
    return take(atspi_accessible_get_name(object, nullptr));
}
bool has_state(AtspiAccessible *object, AtspiStateType state) {
    const Owned<AtspiStateSet> states(atspi_accessible_get_state_set(object));
    return atspi_state_set_contains(states.get(), state);
}

AtspiRect box_of(AtspiAccessible *object) {
    const Owned<AtspiComponent> component(atspi_accessible_get_component_iface(object));
    AtspiRect *rect =
        component ? atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, nullptr)
                  : nullptr;
    const AtspiRect box = rect ? *rect : AtspiRect{};
    g_free(rect);
    return box;
}

std::string chosen_item(AtspiAccessible *combo) {
    const Owned<AtspiSelection> selection(atspi_accessible_get_selection_iface(combo));
    Accessible item(selection ? atspi_selection_get_selected_child(selection.get(), 0, nullptr)
                              : nullptr);
    return item ? name_of(item.get()) : "";
}

// Depth first; the list's cells (hundreds of them) are left out.
Accessible find(AtspiAccessible *root, const std::function<bool(AtspiAccessible *)> &match,
                bool deep) {
    const int count = atspi_accessible_get_child_count(root, nullptr);
    for (int i = 0; i < count; ++i) {
        Accessible item(atspi_accessible_get_child_at_index(root, i, nullptr));
        if (!item)
            continue;
        if (match(item.get()))
            return item;
        if (!deep || role_of(item.get()) == "table")
            continue;
        if (Accessible found = find(item.get(), match, true))
            return found;
    }
    return nullptr;
}

Accessible showing(AtspiAccessible *root, const std::string &role, const std::string &name,
                   bool deep) {
    return find(
        root,
        [&](AtspiAccessible *item) {
            return role_of(item) == role && (name.empty() || name_of(item) == name) &&
                   has_state(item, ATSPI_STATE_SHOWING);
        },
        deep);
}
