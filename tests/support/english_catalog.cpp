#include "support/english_catalog.h"

#include <string>

namespace tarnwick::test {

Catalog english_catalog() {
    return load_catalog(std::string(TARNWICK_SOURCE_DIR) + "/res/locales", "en-US", "en-US");
}

}  // namespace tarnwick::test
