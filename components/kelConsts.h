// kelConsts: the component library's fixed tables.
#pragma once

// The texts of the two booleans, indexed by a boolean.
constexpr const char* CkelBooleanValues[2] = {"False", "True"};
