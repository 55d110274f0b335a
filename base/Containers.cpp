#include "base/Containers.h"

#include "base/Log.h"
#include "base/Text.h"
#include "platform/CloseRequest.h"

namespace brindle::detail {

void ReportBadIndex(char kind, int index, int count, int elementSize) {
  std::string text = kind == 'V' ? FormatString("err V[%d] ( %d , %d )", index, count, elementSize)
                                 : FormatString("err L[%d] ( %d , %d )", index, count, elementSize);
  WriteDebugString(text);
  WriteLogText(text);
  platform::RequestMainWindowClose();
}

}  // namespace brindle::detail
