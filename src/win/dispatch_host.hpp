// The model host over the modelling tool's automation objects: every
// operation of the host interface is a late-bound call of the tool's object,
// by dispatch identifier, four of them by name. The objects met during one
// command are kept by its session and released when the command ends.
#pragma once

#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs)
#include <oaidl.h>

#include <deque>
#include <memory>

#include "host/host.hpp"

namespace tarn::win {

class DispatchSession {
 public:
  DispatchSession() = default;
  DispatchSession(const DispatchSession&) = delete;
  DispatchSession& operator=(const DispatchSession&) = delete;

  // The host objects over the tool's objects, which the session references
  // until it ends. Every call of a null object (a script's Nothing) raises
  // error 91.
  const host::Application& Application(IDispatch* app);
  const host::Class& Class(IDispatch* roseClass);

  // Keeps an object until the session ends; returns it.
  template <class T>
  T& Keep(std::shared_ptr<T> kept) {
    T& object = *kept;
    kept_.push_back(std::move(kept));
    return object;
  }
  // A reference of the session's own to a tool's object; null stays null.
  IDispatch* Hold(IDispatch* object);

 private:
  std::deque<std::shared_ptr<void>> kept_;
};

}  // namespace tarn::win
