#pragma once
// The en-US message catalog shipped in res/locales, as the product loads it.

#include "core/catalog.h"

namespace tarnwick::test {

Catalog english_catalog();

}  // namespace tarnwick::test
