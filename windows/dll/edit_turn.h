#pragma once
// Edits of the page through the editor take turns across the threads of this process. An edit
// reads the page, changes it and sets it in calls the editor answers one by one; two such edits
// from different threads, interleaved, would have the later set drop the earlier one. A thread
// waiting for its turn keeps serving the calls made to its apartment (the editor's objects may
// live there). A thread that is already editing (an event handler of the editor runs inside its
// outgoing call) is refused, since waiting there would wait for itself and going ahead would
// set the page over the edit it interrupted.

namespace velmo::win {

class EditTurn {
 public:
  // Waits for the turn; HostError when this thread is editing already, or another thread's edit
  // has not ended within kPatienceMs.
  EditTurn();
  ~EditTurn();
  EditTurn(const EditTurn&) = delete;
  EditTurn& operator=(const EditTurn&) = delete;

  static constexpr unsigned long kPatienceMs = 60000;
};

}  // namespace velmo::win
