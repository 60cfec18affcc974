#include "platform/console/console.h"
#include "platform/ui/mask.h"

namespace zel {

void sayPicture(Console& con, int row, int col, const Value& v, std::string_view mask) {
  con.say(row, col, transform(v, mask));
}

void sayPicture(Console& con, int row, int col, const Value& v, std::string_view mask, Attr attr) {
  con.say(row, col, transform(v, mask), attr);
}

}  // namespace zel
