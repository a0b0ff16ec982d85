#pragma once
// Deliveries in processes of their own, so that several run at once although the
// directory and store layers each belong to one thread: every delivery process
// (`tavimor-milter --delivery-process`) is single-threaded and owns its store and
// directory connections; the milter hands it one message at a time over a socket
// and reads back the verdict. The store is made for several writers (the sink
// decides before the store's write transaction).

#include "milter/DeliveryWorker.h"

namespace milter {

// The delivery process's side: reads messages on standard input and answers each
// verdict on standard output (one socket) until the input ends; `factory` makes the delivery.
int serveDeliveryProcess(const DeliveryWorker::Factory& factory);

// The milter's side: a factory of deliveries, each of which starts `program` as a
// delivery process and hands it messages. A process that does not answer within
// `limit` is ended (and another started for the next message).
DeliveryWorker::Factory deliveryProcesses(const QString& program, std::chrono::milliseconds limit);

}  // namespace milter
