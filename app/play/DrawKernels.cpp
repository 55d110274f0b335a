#include "app/play/DrawKernels.h"

cDrawKernels DrawKernels;
