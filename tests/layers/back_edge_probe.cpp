// Compiled by layers_refuse_a_back_edge against the include tree of the dialog layer: its own
// headers and those below it must be found, a feature's must not.
#include "core/common/text.h"
#include "core/forms/form.h"
#include "core/platform/platform.h"
#ifdef VELMO_PROBE_BACK_EDGE
#include "features/date/frm_date.h"
#endif
