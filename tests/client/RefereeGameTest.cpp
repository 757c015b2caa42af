// placeholder: filled once the referee tool exists
