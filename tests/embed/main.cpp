#include "render/render.h"
#include "wave/sine.h"

int main() {
    sine field(3, 2);
    field.compute(1, 1, 4, 0, 0);
    render renderer(&field);
    // (1, 1) is the source: cos(0) = 1, the brightest grey.
    return renderer.convert()[(1 * 3 + 1) * 4] == 255 ? 0 : 1;
}
