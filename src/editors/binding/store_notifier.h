#pragma once
// The store's change notices as a Qt signal, for windows that refresh only
// the controls of the bytes that changed.

#include <QObject>

#include "engine/store.h"

namespace quillon {

class StoreNotifier : public QObject, public StoreObserver {
  Q_OBJECT
 public:
  explicit StoreNotifier(PerformanceStore& store, QObject* parent = nullptr);
  ~StoreNotifier() override;

  void storeChanged(const StoreChange& change) override { emit changed(change); }

 signals:
  // Emitted on the GUI thread, where the sender and the incoming decoder run.
  void changed(const quillon::StoreChange& change);

 private:
  PerformanceStore& store_;
};

}  // namespace quillon
