#pragma once
// The order screen's rules: what its handlers compute and decide, as plain
// functions that know no widget, record set or database.
//
// How a rule is written, so that the next one reads like these:
// - A free function in namespace RegrasPedido, in the header of its topic
//   (item_values.h, order_values.h, ...), with a table test in
//   tests/order_entry/rules.
// - It takes plain values (double, qint64, QString, Cents, small structs
//   named after what the fields hold) and returns a value or a small struct;
//   it reads no field and shows no message. The handler reads the fields,
//   calls the rule, writes the result and reports.
// - Amounts the screen keeps unrounded stay double and are rounded with
//   RoundDec exactly where the screen rounds. Amounts that must add up to
//   the cent (installments, shares) are Cents (core/money.h).
// - A value that may be missing (an empty field, an aggregate of no rows)
//   is std::optional, never 0 in disguise.
// - A refusal is a returned value (a bool, an enum, an optional) that the
//   handler turns into the catalog's message; rules never throw for a user's
//   input.

#include "rules/item_values.h"
#include "rules/order_values.h"
#include "rules/confirmation.h"
