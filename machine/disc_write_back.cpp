#include "machine/disc_write_back.h"

#include <exception>
#include <utility>

TDiscWriteBack::TDiscWriteBack(TVirtualDsk* drives, int count) : Drives(drives), State(std::size_t(count)) {}

TDiscWriteBack::~TDiscWriteBack() {
    {
        std::lock_guard<std::mutex> hold(Lock);
        Stopping = true;
    }
    Wake.notify_all();
    if (Writer.joinable()) Writer.join();
}

void TDiscWriteBack::Poll(TClock::time_point now) {
    TakeResults(now);
    for (int d = 0; d < int(State.size()); ++d) {
        TDrive& s = State[std::size_t(d)];
        TVirtualDsk& drive = Drives[d];
        // The whole copy is taken when the image is first seen, in the poll
        // after its load, rather than in the middle of a program's writes.
        if (!s.Saving && !drive.IsMounted())
            s.Copy = {};
        else if (!s.Saving && s.Copy.Serial != drive.LoadSerial)
            drive.UpdateSnapshot(s.Copy);
        // The writes told of are saved (by the write-back or otherwise),
        // discarded or gone with their image.
        if (s.Reported && (!drive.IsMounted() || !drive.Modified || drive.LoadSerial != s.ReportedSerial))
            Clear(d);
        if (!drive.IsMounted() || !drive.Modified) {
            // Saved some other way, dropped or never written: a fresh start.
            s.SeenWrites = drive.Writes;
            s.DirtySince.reset();
            s.Failing = s.Blocked = false;
            continue;
        }
        if (drive.Writes != s.SeenWrites) {
            s.SeenWrites = drive.Writes;
            if (!s.DirtySince) s.DirtySince = now;
        }
        // The writes began up to a poll period before they were seen. Whether the
        // file may be written is found out by the save itself, every time.
        if (s.DirtySince && !s.Saving && !s.Blocked && now - *s.DirtySince >= Delay - PollPeriod) Start(d);
    }
}

void TDiscWriteBack::Start(int d) {
    TDrive& s = State[std::size_t(d)];
    TResult job;
    job.Drive = d;
    Drives[d].UpdateSnapshot(s.Copy);
    s.Saving = true;
    s.DirtySince.reset(); // writes from now on start the next clock
    {
        std::lock_guard<std::mutex> hold(Lock);
        Jobs.push_back(std::move(job));
        ++Pending;
        if (!Writer.joinable()) Writer = std::thread([this] { Work(); });
    }
    Wake.notify_all();
}

void TDiscWriteBack::Work() {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
        Wake.wait(hold, [this] { return Stopping || !Jobs.empty(); });
        if (Jobs.empty()) return; // stopping with nothing left to write
        TResult job = std::move(Jobs.front());
        Jobs.pop_front();
        hold.unlock();
        const TDiscSnapshot& snap = State[std::size_t(job.Drive)].Copy; // left alone while Saving
        try {
            job.Version = SaveImageFile(snap.FileName, snap.Data.data(), snap.Data.size(), snap.Expected);
            job.Ok = true;
        } catch (const EDiscChangedError& e) {
            job.Changed = true;
            job.Error = e.what();
        } catch (const std::exception& e) {
            job.Error = e.what();
        }
        hold.lock();
        Done.push_back(std::move(job));
        --Pending;
        Wake.notify_all();
    }
}

void TDiscWriteBack::TakeResults(TClock::time_point now) {
    std::deque<TResult> done;
    {
        std::lock_guard<std::mutex> hold(Lock);
        done.swap(Done);
    }
    for (TResult& result : done)
        Apply(result, now);
}

void TDiscWriteBack::Apply(TResult& result, TClock::time_point now) {
    TDrive& s = State[std::size_t(result.Drive)];
    TVirtualDsk& drive = Drives[result.Drive];
    s.Saving = false;
    if (result.Ok) {
        drive.SnapshotSaved(s.Copy, result.Version);
        s.Failing = false;
        if (OnSaved) OnSaved(result.Drive);
        return;
    }
    // A copy of an image the drive no longer holds: nothing to tell of it.
    const bool current = drive.IsMounted() && s.Copy.Serial == drive.LoadSerial;
    // Still read-only as it was at the mount, where the user was told.
    const bool toldAtMount = drive.ReadOnlySinceLoad && drive.FileReadOnly();
    if (current && !s.Failing && !toldAtMount) {
        s.Reported = true;
        s.ReportedSerial = drive.LoadSerial;
        if (OnFailed) OnFailed(result.Drive, result.Error);
    }
    s.Failing = true;
    if (result.Changed)
        s.Blocked = true;
    else if (!s.DirtySince)
        s.DirtySince = now; // tried again a delay later
}

void TDiscWriteBack::Clear(int d) {
    State[std::size_t(d)].Reported = false;
    if (OnCleared) OnCleared(d);
}

void TDiscWriteBack::Settle() {
    {
        std::unique_lock<std::mutex> hold(Lock);
        Wake.wait(hold, [this] { return Pending == 0; });
    }
    TakeResults(TClock::now());
}
