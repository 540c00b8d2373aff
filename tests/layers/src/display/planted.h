#pragma once
// Clean: a folder may include its own headers.
#include <vector>
