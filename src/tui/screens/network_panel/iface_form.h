#pragma once
// The network panel's edit form of one interface: IPv4 or IPv6 rows built from
// its view, option cycling, text entry, field focus, and the key-value pairs
// an apply carries. Pure data; the panel screen draws and drives it.

#include "template/form_field.h"
#include "tui/screens/network_panel/panel_model.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::tui {

using IfaceForm = std::vector<tmpl::FormField>;

// A text value takes a further character only while it holds at most this
// many bytes.
inline constexpr std::size_t kFormTextLimit = 127;

// The rows of the family's form: the mode (a choice), the live addresses as
// read-only rows, then the editable address, mask or prefix, and gateway.
IfaceForm build_iface_form(const InterfaceView& view, IfaceFamily family, const Catalog& catalog);

// Whether a row can take the focus, and what kind of field it is.
bool is_focusable(const tmpl::FormField& row);
bool is_choice_field(const tmpl::FormField& row);
bool is_text_field(const tmpl::FormField& row);

// Cycles the row's option (see cycle_field_option); an index past the end
// does nothing.
void cycle_panel_field_option(IfaceForm& form, std::size_t index, bool backward);

// The first focusable row after `start`, wrapping round (the row at `start`
// is looked at last); pass size - 1 to start from the top.
std::optional<std::size_t> next_focusable(const IfaceForm& form, std::size_t start);

// The first focusable row before `current`, wrapping round; without a
// current row (or one past the end) the search starts at the last row.
std::optional<std::size_t> prev_focusable(const IfaceForm& form,
                                          std::optional<std::size_t> current);

// Text entry on the row at `index` when it is a text field: a character that
// is no control character, added while the value holds at most
// kFormTextLimit bytes; removal takes the last whole character.
void append_form_char(IfaceForm& form, std::size_t index, char32_t ch);
void remove_form_char(IfaceForm& form, std::size_t index);

// (id, value) of every row, read-only rows included, in order.
FormPairs form_pairs(const IfaceForm& form);
bool has_ipv4_mode_pair(const FormPairs& pairs);
bool has_ipv6_mode_pair(const FormPairs& pairs);

// The form's pairs followed by the other family's four settings as the view
// shows them.
FormPairs apply_payload(const IfaceForm& form, const InterfaceView& view);

}  // namespace tarnwick::tui
