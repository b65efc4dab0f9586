#include "template/twml/loader.h"

#include "core/read_file.h"
#include "template/twml/components.h"
#include "template/twml/convert.h"
#include "template/twml/imports.h"
#include "template/twml/values.h"
#include "template/twml/xml.h"

#include <set>

namespace tarnwick::tmpl {
namespace {

std::string import_base(const std::string& page_path, const std::string& template_dir) {
    std::size_t slash = page_path.rfind('/');
    if (slash == std::string::npos) {
        return template_dir;
    }
    return slash == 0 ? std::string("/") : page_path.substr(0, slash);
}

}  // namespace

Result<TwmlPage, TwmlError> load_page(const std::string& page_path,
                                      const std::string& template_dir) {
    auto text = read_text_file(page_path, kMaxConfigFileBytes);
    if (!text) {
        return fail(TwmlError::make(TwmlError::Kind::Io, display_read_file_error(text.error())));
    }
    auto document = parse_xml(*text);
    if (!document) {
        return fail(std::move(document.error()));
    }
    XmlNode root = root_element(**document);

    // Imports come before any look at the root, so a broken import is reported
    // even for a document that is no page.
    ComponentMap components;
    auto imported =
        resolve_imports(root, template_dir, import_base(page_path, template_dir), components, 0);
    if (!imported) {
        return fail(std::move(imported.error()));
    }

    if (local_name(root) != "screen") {
        return fail(TwmlError::message("document root must be <screen> for a page"));
    }
    if (auto schema = unprefixed_attribute(root, "schema"); schema && *schema != "2.0") {
        return fail(TwmlError::make(TwmlError::Kind::UnsupportedSchema, *schema));
    }
    TwmlPage page;
    auto id = unprefixed_attribute(root, "id");
    if (!id) {
        return fail(TwmlError::message("screen missing id"));
    }
    page.id = std::move(*id);
    auto require = parse_require_attr(unprefixed_attribute(root, "require").value_or("public"));
    if (!require) {
        return fail(std::move(require.error()));
    }
    page.require = *require;

    const PropMap no_props;
    std::set<std::string> field_ids;
    for (XmlNode child : root.children()) {
        if (!child.is_element()) {
            continue;
        }
        std::string_view name = local_name(child);
        if (name == "import" || name == "define-component") {
            continue;
        }
        auto nodes = convert_element(child, components, no_props, 1);
        if (!nodes) {
            return fail(std::move(nodes.error()));
        }
        for (TwmlNode& node : *nodes) {
            auto unique = check_duplicate_field_ids(node, field_ids);
            if (!unique) {
                return fail(std::move(unique.error()));
            }
            page.nodes.push_back(std::move(node));
        }
    }

    page.title_key = unprefixed_attribute(root, "title-key");
    page.title_bind = unprefixed_attribute(root, "title-bind");
    page.width = unprefixed_attribute(root, "width").value_or("full");
    page.height = unprefixed_attribute(root, "height").value_or("full");
    return page;
}

}  // namespace tarnwick::tmpl
