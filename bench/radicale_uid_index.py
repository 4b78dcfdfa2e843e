"""Radicale's file storage with an index of the UIDs in each collection.

Radicale checks every new item's UID against the whole collection by reading
each stored item, so a first upload of n items costs n^2 / 2 item reads: 10000
events one PUT at a time take hours there. This storage keeps the UIDs it has
seen per collection, so that the full-scale sync run measures the client and
the protocol, not that check. Everything else is Radicale's own: requests,
WebDAV, ETags, sync tokens, the files on disk.

Used by bench/sync_scale.py with `[storage] type = radicale_uid_index`.
"""

from radicale.storage import multifilesystem

# collection folder -> {href: uid}; built from the stored items on first use
_uids = {}


class Collection(multifilesystem.Collection):

    def _index(self):
        index = _uids.get(self._filesystem_path)
        if index is None:
            index = {item.href: item.uid for item in self.get_all()}
            _uids[self._filesystem_path] = index
        return index

    def has_uid(self, uid):
        return uid in self._index().values()

    def upload(self, href, item):
        uploaded = super().upload(href, item)
        if self._filesystem_path in _uids:
            _uids[self._filesystem_path][href] = uploaded.uid
        return uploaded

    def delete(self, href=None):
        super().delete(href)
        if href is None:
            _uids.pop(self._filesystem_path, None)
        elif self._filesystem_path in _uids:
            _uids[self._filesystem_path].pop(href, None)


class Storage(multifilesystem.Storage):

    _collection_class = Collection

    def create_collection(self, href, items=None, props=None):
        # a whole collection written at once: build its index anew
        _uids.clear()
        return super().create_collection(href, items, props)
