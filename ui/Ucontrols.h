// Making the controls of a dialog's resource in code.
#pragma once

#include "classlib/Controls.h"

// A control of the resource: owned by owner, named, placed and put on its parent.
template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
    T* component = new T(owner);
    component->SetName(name);
    component->SetBounds(left, top, width, height);
    component->SetParent(parent);
    return component;
}
