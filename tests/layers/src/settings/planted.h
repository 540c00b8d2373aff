#pragma once
// Clean: nothing but the standard library.
#include <string>
