#pragma once
// Everything a caller of the TWML loader needs.

#include "template/twml/error.h"
#include "template/twml/loader.h"
#include "template/twml/page.h"
