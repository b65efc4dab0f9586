#include "tui/screens/network_panel/iface_form.h"

#include "core/catalog.h"
#include "core/text.h"
#include "tui/screens/form_logic.h"
#include "tui/screens/network_panel/iface_field_ids.h"

#include <algorithm>

namespace tarnwick::tui {
namespace {

tmpl::FormField choice_row(std::string_view id, std::string label, std::string value,
                           std::vector<std::string> choices) {
    return {std::string(id), std::move(label), std::move(value), std::move(choices), false, false};
}

tmpl::FormField text_row(std::string_view id, std::string label, std::string value) {
    return {std::string(id), std::move(label), std::move(value), std::nullopt, false, false};
}

tmpl::FormField info_row(std::string id, std::string label, std::string value) {
    return {std::move(id), std::move(label), std::move(value), std::nullopt, true, false};
}

// One read-only row per address (the first labelled), at most `limit` rows;
// without addresses the `empty_id` row saying so, unless there is none.
void add_address_rows(IfaceForm& form, const std::vector<std::string>& addresses,
                      std::string_view id_prefix, const std::string& label,
                      std::optional<std::string_view> empty_id, const Catalog& catalog,
                      std::size_t limit = SIZE_MAX) {
    if (addresses.empty()) {
        if (empty_id)
            form.push_back(
                info_row(std::string(*empty_id), label, translate(catalog, "net.no_addresses")));
        return;
    }
    for (std::size_t n = 0; n < addresses.size() && n < limit; ++n) {
        form.push_back(info_row(std::string(id_prefix) + std::to_string(n), n == 0 ? label : "",
                                addresses[n]));
    }
}

bool has_pair(const FormPairs& pairs, std::string_view key) {
    return std::any_of(pairs.begin(), pairs.end(),
                       [key](const auto& pair) { return pair.first == key; });
}

}  // namespace

IfaceForm build_iface_form(const InterfaceView& view, IfaceFamily family, const Catalog& catalog) {
    const auto t = [&catalog](std::string_view key) { return translate(catalog, key); };
    IfaceForm form;
    if (family == IfaceFamily::Ipv4) {
        form.push_back(choice_row(kIpv4ModeField, t("form.field.ipv4_mode"), view.ipv4_mode,
                                  {"DHCP", "Static"}));
        add_address_rows(form, view.ipv4_live, "v4_live_", t("form.field.live_addrs"), "v4_live",
                         catalog);
        form.push_back(
            text_row(kIpv4AddressField, t("form.field.ipv4_address"), view.ipv4_address));
        form.push_back(
            text_row(kIpv4NetmaskField, t("form.field.ipv4_netmask"), view.ipv4_netmask));
        form.push_back(
            text_row(kIpv4GatewayField, t("form.field.ipv4_gateway"), view.ipv4_gateway));
        return form;
    }
    form.push_back(choice_row(kIpv6ModeField, t("form.field.ipv6_mode"), view.ipv6_mode,
                              {"SLAAC", "Static", "Disabled"}));
    form.push_back(info_row("ipv6_status", t("net.field.ipv6_status"), view.ipv6_status));
    add_address_rows(form, view.ipv6_global, "v6_g_", t("net.addr.global"), "v6_global", catalog);
    add_address_rows(form, view.ipv6_ula, "v6_u_", t("net.addr.ula"), std::nullopt, catalog);
    add_address_rows(form, view.ipv6_link_local, "v6_ll_", t("net.addr.link_local"), std::nullopt,
                     catalog, 2);
    form.push_back(text_row(kIpv6AddressField, t("form.field.ipv6_address"), view.ipv6_address));
    form.push_back(text_row(kIpv6PrefixField, t("form.field.ipv6_prefix"), view.ipv6_prefix));
    form.push_back(text_row(kIpv6GatewayField, t("form.field.ipv6_gateway"), view.ipv6_gateway));
    return form;
}

bool is_focusable(const tmpl::FormField& row) {
    return !row.disabled && !row.heading;
}

bool is_choice_field(const tmpl::FormField& row) {
    return !row.disabled && row.choices.has_value();
}

bool is_text_field(const tmpl::FormField& row) {
    return !row.disabled && !row.choices.has_value();
}

void cycle_panel_field_option(IfaceForm& form, std::size_t index, bool backward) {
    if (index >= form.size()) return;
    cycle_field_option(form[index], backward);
}

std::optional<std::size_t> next_focusable(const IfaceForm& form, std::size_t start) {
    const std::size_t n = form.size();
    for (std::size_t step = 1; step <= n; ++step) {
        const std::size_t i = (start % n + step) % n;
        if (is_focusable(form[i])) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> prev_focusable(const IfaceForm& form,
                                          std::optional<std::size_t> current) {
    const std::size_t n = form.size();
    std::size_t c = current && *current < n ? *current : 0;
    for (std::size_t step = 0; step < n; ++step) {
        c = c == 0 ? n - 1 : c - 1;
        if (is_focusable(form[c])) return c;
    }
    return std::nullopt;
}

void append_form_char(IfaceForm& form, std::size_t index, char32_t ch) {
    if (index >= form.size() || !is_text_field(form[index])) return;
    if (ch < 32 || (ch >= 127 && ch <= 159) || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return;
    std::string& value = form[index].value;
    if (value.size() > kFormTextLimit) return;
    append_utf8(value, ch);
}

void remove_form_char(IfaceForm& form, std::size_t index) {
    if (index >= form.size() || !is_text_field(form[index])) return;
    std::string& value = form[index].value;
    if (value.empty()) return;
    // Back over continuation bytes to the start of the last character.
    std::size_t cut = value.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    value.erase(cut);
}

FormPairs form_pairs(const IfaceForm& form) {
    FormPairs pairs;
    pairs.reserve(form.size());
    for (const tmpl::FormField& row : form) pairs.emplace_back(row.id, row.value);
    return pairs;
}

bool has_ipv4_mode_pair(const FormPairs& pairs) {
    return has_pair(pairs, kIpv4ModeField);
}

bool has_ipv6_mode_pair(const FormPairs& pairs) {
    return has_pair(pairs, kIpv6ModeField);
}

FormPairs apply_payload(const IfaceForm& form, const InterfaceView& view) {
    FormPairs pairs = form_pairs(form);
    if (!has_ipv4_mode_pair(pairs)) {
        pairs.emplace_back(kIpv4ModeField, view.ipv4_mode);
        pairs.emplace_back(kIpv4AddressField, view.ipv4_address);
        pairs.emplace_back(kIpv4NetmaskField, view.ipv4_netmask);
        pairs.emplace_back(kIpv4GatewayField, view.ipv4_gateway);
    }
    if (!has_ipv6_mode_pair(pairs)) {
        pairs.emplace_back(kIpv6ModeField, view.ipv6_mode);
        pairs.emplace_back(kIpv6AddressField, view.ipv6_address);
        pairs.emplace_back(kIpv6PrefixField, view.ipv6_prefix);
        pairs.emplace_back(kIpv6GatewayField, view.ipv6_gateway);
    }
    return pairs;
}

}  // namespace tarnwick::tui
