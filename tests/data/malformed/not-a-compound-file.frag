<Data>
This is a text file, not a compound file.
</Data>
