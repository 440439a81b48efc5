// The one thread pool: pieces are taken in the order they were made whatever the workers do, and a
// run that stops (take says so, a piece throws) leaves the runner ready for the next run.
#include "velmora/app/ordered_runner.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora {
namespace {

struct Piece {
  int number = 0;
  int square = 0;
};

// Pieces 0..count-1; take records each square and stops after stopAfter pieces (-1: never).
RunEnd runSquares(OrderedRunner<Piece>& runner, int count, int stopAfter, std::vector<int>& taken) {
  int next = 0;
  RunnerCalls<Piece> calls;
  calls.fill = [&](Piece& piece) {
    if (next == count) return FillStatus::kEnd;
    piece.number = next++;
    return FillStatus::kPiece;
  };
  calls.take = [&](Piece& piece) {
    taken.push_back(piece.square);
    return stopAfter < 0 || static_cast<int>(taken.size()) < stopAfter;
  };
  return runner.run(calls);
}

TEST(OrderedRunner, TakesPiecesInOrderAndIsReadyAgainAfterAStop) {
  for (const unsigned workers : {1U, 2U, 5U}) {
    SCOPED_TRACE(workers);
    OrderedRunner<Piece> runner(workers, [](Piece& piece) {
      // Later pieces finish first: the order of taking must not follow the order of finishing.
      std::this_thread::sleep_for(std::chrono::microseconds((7 - piece.number % 7) * 100));
      if (piece.number == 50) throw std::runtime_error("piece 50");
      piece.square = piece.number * piece.number;
    });
    std::vector<int> taken;
    EXPECT_EQ(runSquares(runner, 40, 10, taken), RunEnd::kStopped);
    EXPECT_EQ(taken.size(), 10U);
    taken.clear();
    EXPECT_EQ(runSquares(runner, 40, -1, taken), RunEnd::kCompleted);
    std::vector<int> squares;
    for (int k = 0; k < 40; ++k) squares.push_back(k * k);
    EXPECT_EQ(taken, squares);
    taken.clear();
    EXPECT_THROW(runSquares(runner, 60, -1, taken), std::runtime_error);
    EXPECT_LE(taken.size(), 50U);  // nothing from the failed piece on
    taken.clear();
    EXPECT_EQ(runSquares(runner, 3, -1, taken), RunEnd::kCompleted);
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 4}));
  }
}

}  // namespace
}  // namespace velmora
