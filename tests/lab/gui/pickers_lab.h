#pragma once
// The pickers against the lab: the lab window with the Exchange server's MTA, and
// what ldapsearch says a picker must list.

#include "tree_lab_form.h"

namespace testing_support {

struct PickerLabForm : LabForm {
    PickerLabForm() {
        g.strResponsibleMTAServer = ldapsearchValues("(&(objectClass=msExchExchangeServer)(cn=" +
                                                         filterValue(labEnv("LAB_EXCHANGE_SERVER")) + "))",
                                                     "msExchResponsibleMTAServer", configNc())
                                        .value(0);
    }
};

}  // namespace testing_support
