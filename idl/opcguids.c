/* Defines the GUIDs that opcda.h only declares (the component categories).
 * The interface identifiers come from the widl-generated _i.c files; the
 * header's copies are selectany, so defining them here as well is harmless. */
#include <initguid.h>
#include "opcda.h"
