#include "input/interface/input_imp.h"

// Out of line so that the class's type information lives in one place.
InputImp::~InputImp() = default;
