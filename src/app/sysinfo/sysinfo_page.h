#pragma once
// The system-information action: the summary bound to the "sys." keys for
// pages/system-info.twml, or shown in the built-in form when no page can be.

#include <string_view>
#include <vector>

#include "app/sysinfo/system_summary.h"
#include "core/config.h"
#include "core/result.h"
#include "template/bindings/binding_store.h"
#include "template/pages/form_items.h"

namespace tarnwick {
struct Catalog;
}

namespace tarnwick::app {

// The "sys." keys: one per field (empty texts as Empty), the address count,
// and address, family and interface of the first 32 addresses.
Result<void, tmpl::BindingError> bind_sysinfo(const SystemSummary& summary,
                                              tmpl::BindingStore& store);

// The built-in view: host, platform, hardware, session and addresses
// sections; every address is listed, labelled "IPv4 (iface)" or "IPv6 (iface)".
std::vector<tmpl::FormItem> sysinfo_form_items(const SystemSummary& summary);

// Who is signed in, for the session section.
struct SysinfoViewer {
    std::string_view display_name;
    std::string_view pam_user;
    std::string_view tty;
    std::string_view locale;
    bool is_admin = false;
};

// Gathers the summary and shows it; nothing is reported, terminal errors of
// the view included.
void show_system_info(std::string_view config_dir, const SysinfoViewer& viewer,
                      const Catalog& catalog, AutoMode color);

}  // namespace tarnwick::app
