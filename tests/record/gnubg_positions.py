# Run inside GNU Backgammon (gnubg -t -q -p THIS): imports each game named in
# VERTAN_GAMES (one path a line) and prints what it reached, one JSON line a
# game after "GAME ": the players, the winner and both sides' checkers at the
# end, each side counted from its own home (index 24: the bar), and each
# game's scores before it, Crawford mark, winner, points and the cube (two
# to the number of takes it read).
import gnubg
import json
import os

for path in os.environ["VERTAN_GAMES"].splitlines():
    if path.endswith(".mat"):
        gnubg.command("import mat " + path)
    else:
        gnubg.command("load match " + path)
    match = gnubg.match()
    info = match["match-info"]
    game = match["games"][-1]["info"] if match["games"] else {}
    # board() is (the other player, the player on roll); turn 0 is X.
    other, on_roll = gnubg.board()
    x_on_roll = gnubg.posinfo()["turn"] == 0
    games = [{
        "score": [g["info"]["score-X"], g["info"]["score-O"]],
        "crawford": bool(g["info"].get("crawford", False)),
        "winner": g["info"].get("winner"),
        "points": g["info"].get("points-won", 0),
        "resigned": bool(g["info"].get("resigned", False)),
        "cube": 2 ** sum(1 for a in g["game"] if a.get("action") == "take"),
    } for g in match["games"]]
    print("GAME " + json.dumps({
        "file": path,
        "X": info["X"]["name"],
        "O": info["O"]["name"],
        "winner": game.get("winner"),
        "boardX": list(on_roll if x_on_roll else other),
        "boardO": list(other if x_on_roll else on_roll),
        "length": info["match-length"],
        "games": games,
    }), flush=True)
