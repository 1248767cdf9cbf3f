#pragma once

// Generates plausible test boards: the bundled demo and large boards for the
// benchmark. The same options always give the same board, on any machine.
//
// Every entity lies in the one visible PCB file. Probes are named "1".."N"
// and carry "NETNAME", "DATALINK", "TESTER_REASOURCE", "PROBE_PLACEMENT" and
// "REFNAME"; each probe links to an access point, each access point to a
// component pin or a via, by entity number.

#include "board.h"

#include <cstdint>

namespace lw {

enum class PartsMix : std::uint8_t {
  Demo,          // a fixed list of 40 parts: R, C, U, J, TP, ...
  FivePerProbe,  // random parts, about five pins per probe
};

struct GeneratorOptions {
  std::uint64_t seed = 1;
  int probes = 150;
  PageUnits units = PageUnits::Millimetre;
  PartsMix parts = PartsMix::Demo;
  double topShare = 0.4;  // share of probes on the top side

  bool operator==(const GeneratorOptions&) const = default;
};

// The bundled demo board: about 40 parts and 150 probes on both sides.
GeneratorOptions demoOptions();
// A large board: five pins and two vias per probe, probes mostly below.
GeneratorOptions largeOptions(int probes, std::uint64_t seed = 1);

// Throws Error when probes is below 1 or the parts leave too few places
// to probe.
Board generateBoard(const GeneratorOptions& options);

}  // namespace lw
