// The column and mirror kernels (wave/sine_fast.h), written once over the vector traits V of one
// level (simd/sse2.h and its like). Included inside that level's namespace, after the standard
// headers, the level's traits and wave/sine_fast.h, by wave/sine_kernels.cpp and by the tests
// that plant a cosine; it includes nothing itself, so nothing in it is shared between levels.

// Rows a column is done in at a time: distances and angles first, each step also taking the
// cosines of the step before (so that the divisions of one step run beside those calls), then
// the samples.
inline constexpr std::uint32_t chunkRows = 256;

// Computes: rows [first, last) of column x of sine::computeLiteral's field, every one of those
// pixels within exactRadiusLimit of the source. Valid for: those rows and any wave, with V::cos
// within 8 ulp of std::cos for |theta| <= vectorCosLimit. Error: bit-identical to the literal
// code. Outside the range: a lane whose theta is beyond vectorCosLimit or not finite, or whose
// product lies within roundingMargin of a float rounding boundary, is recomputed by sampleAt
// (std::cos); a chunk whose every theta is out of range, and fewer rows than a vector, go to
// columnScalar without V::cos.
template <class V, bool withReach>
void columnRows(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    using Floats = typename V::Floats;
    using Doubles = typename V::Doubles;
    constexpr std::uint32_t lanes = V::lanes, half = V::lanes / 2;
    constexpr unsigned halfLanes = (1u << half) - 1;
    if (last - first < lanes) {
        sine_fast::columnScalar(column, x, first, last, wave);
        return;
    }
    const Doubles two = V::doubles(2), pi = V::doubles(std::numbers::pi);
    const Doubles lambda = V::doubles(double(wave.lambda)), one = V::doubles(1);
    const Doubles phaseTerm = V::doubles(double(wave.phase) * double(wave.lambda));
    const Doubles reach = V::doubles(double(wave.reach));
    const Doubles cosLimit = V::doubles(sine_fast::vectorCosLimit);
    const double dx = double(wave.sourceX) - double(x);
    const Floats dx2 = V::floats(float(dx * dx)), laneIndex = V::laneIndex();
    alignas(64) float radius[chunkRows];
    alignas(64) double theta[chunkRows];
    alignas(64) double cosine[chunkRows];
    for (std::uint32_t chunk = first; chunk < last; chunk += chunkRows) {
        const std::uint32_t rows = last - chunk < chunkRows ? last - chunk : chunkRows;
        if (!sine_fast::anyThetaInVectorRange(wave, x, chunk, chunk + rows)) {
            sine_fast::columnScalar(column, x, chunk, chunk + rows, wave);
            continue;
        }
        const std::uint32_t vectors = (rows + lanes - 1) / lanes;
        // A last, partial vector is done as a whole one ending at last: the rows it repeats get
        // the same bits again.
        const auto rowOf = [&](std::uint32_t v) {
            const std::uint32_t y = chunk + v * lanes;
            return y + lanes <= last ? y : last - lanes;
        };
        for (std::uint32_t v = 0; v <= vectors; ++v) {
            if (v < vectors) {
                const std::uint32_t i = v * lanes;
                // Integers below 2^24: the sum of squares is exact in float, and its correctly
                // rounded square root is hypot's r.
                const Floats dy =
                    V::floats(float(double(wave.sourceY) - double(rowOf(v)))) - laneIndex;
                V::store(radius + i, V::sqrt(dx2 + dy * dy));
                for (std::uint32_t h = 0; h < lanes; h += half) {
                    // The literal order: (r * 2 * pi) / lambda - phase * lambda.
                    const Doubles angle = V::widen(radius + i + h) * two * pi / lambda - phaseTerm;
                    V::store(theta + i + h, angle);
                }
            }
            if (v > 0) {
                for (std::uint32_t i = (v - 1) * lanes; i < v * lanes; i += half) {
                    V::store(cosine + i, V::cos(V::load(theta + i)));
                }
            }
        }
        for (std::uint32_t v = 0; v < vectors; ++v) {
            const std::uint32_t i = v * lanes, y = rowOf(v);
            Doubles p[2];
            unsigned redo = 0;
            for (std::uint32_t h = 0; h < lanes; h += half) {
                Doubles &product = p[h / half];
                product = V::load(cosine + i + h);
                if constexpr (withReach) {
                    const Doubles root = V::sqrt(V::widen(radius + i + h) / reach);
                    product = product * V::keepNonNegative(V::roundedToFloat(one - root));
                }
                redo |= (~V::within(V::load(theta + i + h), cosLimit) & halfLanes) << h;
                redo |= V::nearFloatMidpoint(product, sine_fast::roundingMargin) << h;
            }
            V::storeu(column + y, V::narrow(p[0], p[1]));
            for (; redo != 0; redo &= redo - 1) {
                const unsigned k = unsigned(__builtin_ctz(redo));
                column[y + k] = sampleAt(wave, radius[i + k]);
            }
        }
    }
}

// The column kernel of V (sine_fast::ColumnKernel).
template <class V>
void columnKernel(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                  const Wave &wave) {
    if (wave.reach != 0) {
        columnRows<V, true>(column, x, first, last, wave);
    } else {
        columnRows<V, false>(column, x, first, last, wave);
    }
}

// Computes: the mirror kernel's copy (sine_fast::MirrorKernel), bit for bit. Valid for: first <
// size, a multiple of mirrorTile. Error: none, a copy. Tiles of lanes x lanes samples move
// through registers, the last one shifted back to end at the grid's edge (the samples it repeats
// get the same bits again); the strip's own triangle, and a grid too small for a tile beside the
// strip, go to mirrorRows.
template <class V>
void mirrorKernel(float *const *grid, std::uint32_t size, std::uint32_t first) {
    constexpr std::uint32_t tile = V::lanes;
    const std::uint32_t beside = first + sine_fast::mirrorTile;  // the first column right of it
    if (beside + tile > size) {
        sine_fast::mirrorRows(grid, first, first + 1, size);
        return;
    }
    for (std::uint32_t x = beside; x < size; x += tile) {
        const std::uint32_t x0 = x + tile <= size ? x : size - tile;
        for (std::uint32_t y0 = first; y0 < beside; y0 += tile) {
            // Rows x0.. of columns y0.. become rows y0.. of columns x0...
            typename V::Floats c[tile];
            for (std::uint32_t k = 0; k < tile; ++k) {
                c[k] = V::loadu(grid[y0 + k] + x0);
            }
            V::transpose(c);
            for (std::uint32_t k = 0; k < tile; ++k) {
                V::storeu(grid[x0 + k] + y0, c[k]);
            }
        }
    }
    sine_fast::mirrorRows(grid, first, first + 1, beside);
}
