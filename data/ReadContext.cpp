#include "data/ReadContext.h"

cReadContext& DefaultReadContext() {
  static cReadContext context;
  return context;
}
