#include "app/sysinfo/sysinfo_page.h"

#include <fmt/format.h>

#include "core/catalog.h"
#include "tui/screens/form_screen.h"
#include "tui/screens/page_screens.h"

namespace tarnwick::app {
namespace {

constexpr std::size_t kBoundAddresses = 32;

std::string_view family_text(std::uint8_t family) {
    switch (family) {
        case 4:
            return "IPv4";
        case 6:
            return "IPv6";
        default:
            return "other";
    }
}

}  // namespace

Result<void, tmpl::BindingError> bind_sysinfo(const SystemSummary& summary,
                                              tmpl::BindingStore& store) {
    const std::pair<std::string_view, const std::string*> fields[] = {
        {"sys.hostname", &summary.hostname},
        {"sys.os", &summary.os},
        {"sys.os_version", &summary.os_version},
        {"sys.arch", &summary.arch},
        {"sys.kernel", &summary.kernel},
        {"sys.uptime", &summary.uptime},
        {"sys.cpu_model", &summary.cpu_model},
        {"sys.cpu_cores", &summary.cpu_cores},
        {"sys.memory", &summary.memory},
        {"sys.load_avg", &summary.load_avg},
        {"sys.display_user", &summary.display_user},
        {"sys.pam_user", &summary.pam_user},
        {"sys.tty", &summary.tty},
        {"sys.locale", &summary.locale},
    };
    for (const auto& [key, value] : fields) {
        if (auto r = tmpl::set_binding(store, key, tmpl::text_or_empty_binding(*value)); !r)
            return r;
    }
    if (auto r = tmpl::set_binding(store, "sys.address_count",
                                   tmpl::text_binding(std::to_string(summary.addresses.size())));
        !r)
        return r;
    for (std::size_t i = 0; i < summary.addresses.size() && i < kBoundAddresses; ++i) {
        const SummaryAddress& address = summary.addresses[i];
        const std::pair<std::string, tmpl::BindingValue> bindings[] = {
            {fmt::format("sys.addr.{}.address", i), tmpl::text_or_empty_binding(address.address)},
            {fmt::format("sys.addr.{}.family", i), tmpl::text_binding(family_text(address.family))},
            {fmt::format("sys.addr.{}.iface", i), tmpl::text_or_empty_binding(address.iface)},
        };
        for (const auto& [key, value] : bindings) {
            if (auto r = tmpl::set_binding_owned(store, key, value); !r) return r;
        }
    }
    return {};
}

std::vector<tmpl::FormItem> sysinfo_form_items(const SystemSummary& summary) {
    using tmpl::form_item_field;
    using tmpl::form_item_section;
    std::vector<tmpl::FormItem> items = {
        form_item_section("info.section.host"),
        form_item_field("hostname", "info.hostname", summary.hostname),
        form_item_field("uptime", "info.uptime", summary.uptime),
        form_item_field("load_avg", "info.load_avg", summary.load_avg),
        form_item_section("info.section.platform"),
        form_item_field("os", "info.os", summary.os),
        form_item_field("os_version", "info.os_version", summary.os_version),
        form_item_field("arch", "info.arch", summary.arch),
        form_item_field("kernel", "info.kernel", summary.kernel),
        form_item_section("info.section.hardware"),
        form_item_field("cpu_model", "info.cpu_model", summary.cpu_model),
        form_item_field("cpu_cores", "info.cpu_cores", summary.cpu_cores),
        form_item_field("memory", "info.memory", summary.memory),
        form_item_section("info.section.session"),
        form_item_field("display_user", "info.user", summary.display_user),
        form_item_field("pam_user", "info.pam_user", summary.pam_user),
        form_item_field("tty", "info.tty", summary.tty),
        form_item_field("locale", "info.locale", summary.locale),
        form_item_section("info.section.addresses"),
    };
    for (std::size_t i = 0; i < summary.addresses.size(); ++i) {
        const SummaryAddress& address = summary.addresses[i];
        tmpl::FormItem item = form_item_field(fmt::format("addr_{}", i), "", address.address);
        item.label = fmt::format("{} ({})", family_text(address.family), address.iface);
        items.push_back(std::move(item));
    }
    if (summary.addresses.empty()) {
        items.push_back(form_item_field("addr_none", "info.no_addresses", tmpl::kNoValue));
    }
    return items;
}

void show_system_info(std::string_view config_dir, const SysinfoViewer& viewer,
                      const Catalog& catalog, AutoMode color) {
    const SystemSummary summary =
        gather_system_summary(viewer.display_name, viewer.pam_user, viewer.tty, viewer.locale);
    tmpl::BindingStore store = tmpl::register_binding_keys();
    (void)bind_sysinfo(summary, store);  // every "sys." key is registered
    if (tui::show_info_page(config_dir, "pages/system-info.twml", store, viewer.is_admin, catalog,
                            color)) {
        return;
    }
    const auto fields = tmpl::translate_form_items(sysinfo_form_items(summary), catalog);
    // The menu comes back whatever the view did.
    (void)tui::form_screen(translate(catalog, "info.system"), fields, color, catalog);
}

}  // namespace tarnwick::app
