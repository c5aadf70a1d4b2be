#include "editors/binding/store_notifier.h"

namespace quillon {

StoreNotifier::StoreNotifier(PerformanceStore& store, QObject* parent) : QObject(parent), store_(store) {
  store_.addObserver(this);
}

StoreNotifier::~StoreNotifier() { store_.removeObserver(this); }

}  // namespace quillon
