// Compiled by layers_refuse_a_back_edge against the include tree of the dialog layer: its own
// headers and those below it must be found, a feature's must not.
#include "common/text.h"
#include "forms/form.h"
#include "platform/platform.h"
#ifdef VELMO_PROBE_BACK_EDGE
#include "date/frm_date.h"
#endif
