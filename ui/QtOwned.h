#pragma once
// Widgets, layouts and actions belong to Qt's object tree: the parent given at
// construction deletes its children. MakeChild is the one place that creates them.

#include <utility>

namespace vorn::ui {

template <class T, class Parent, class... Args>
T* MakeChild(Parent* parent, Args&&... args) {
  return new T(std::forward<Args>(args)..., parent);  // owned by parent from here on
}

}  // namespace vorn::ui
