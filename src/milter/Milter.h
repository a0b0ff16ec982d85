#pragma once
// The milter protocol side (libmilter): each message's envelope, headers and
// body are collected per connection, and at its end the message is journaled on
// the delivery worker; only then does the MTA get its answer.

#include "milter/DeliveryWorker.h"
#include "milter/MilterOptions.h"

namespace milter {

// Registers the callbacks and opens the socket; "" or why it failed.
QString listen(const Options& options);
// Serves until SIGTERM or SIGINT; `worker` does the deliveries. Answers
// libmilter's result (0 on a clean stop).
int serve(const Options& options, DeliveryWorker& worker);

}  // namespace milter
